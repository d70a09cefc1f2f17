#pragma once
// The third frame thread: hands each decoded picture to the main window (kernel code 2)
// and frees its slot only once the window has drawn it, so the drawing sets the pace.
#include <stop_token>

void Jpeg_Show_Image_Data_Thread(std::stop_token stop);
