#pragma once
// Debug texts of the code ("Class::Method : event \n") go nowhere: the program's only
// diagnostic output is trace.log. The calls stay as documentation of the events.
template <typename... Args>
inline void DebugPrint(const char* /*format*/, Args&&... /*args*/) {}
