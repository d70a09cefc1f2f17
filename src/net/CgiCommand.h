#pragma once
// The device's command vocabulary and the request builder.
//
// Every command is one HTTP GET of a CGI path on the device's web port, with its
// arguments in the query string: the path, then ?name=value for the first parameter
// and &name=value for each further one. Names and values go in as they are, without
// percent-encoding: devices rely on that. A name or value holding CR, LF or NUL would
// end the request line early and let the rest pass for headers, so such a parameter
// is refused and the request marked invalid; senders check IsValid() and fail it.
#include <cstdint>
#include <string>
#include <string_view>

enum CgiCommandIndex : uint8_t {
    CGI_LOGIN = 0,
    CGI_GETVIDEO,
    CGI_SETCHANNEL,
    CGI_SETRESOLUTION,
    CGI_SETQUALITY,
    CGI_SETBRCSSA,
    CGI_GETSYSCFG,
    CGI_PERIODCOMMAND,
    CGI_SETSYSCFG,
    CGI_UPGRADEFW,
    CGI_GETONLINEUSER,
    CGI_RS485CMD,
    CGI_SETHALVO,
    CGI_REBOOT,
    CGI_GETDEVICEINFO,
    CGI_GETLOG,
    CGI_SETRETR,
    CGI_GETDVRHDD,
    CGI_NETWORKBK,
    CGI_PTZRESET,
    CGI_GETCOLOR,
    CGI_SETCOLOR,
    CGI_SYNCTIME,
    CGI_GETSEARCHLIST,
    CGI_GETVERSION,
    CGI_CANCELNB,
    CGI_GETVERSION2,
    CGI_GETDVRNAME,
    CGI_GETDEFAULTLANG,
    CGI_GETINDEXLANG,
    CGI_OV9653ZOOM,
    CGI_OV9653ROTATE,
    CGI_CLEARLOG,
    CGI_GETDVRDATE,
    CGI_SETDVRDATE,
    CGI_GETRECORDSETTING,
    CGI_SETRECORDSETTING,
    CGI_CANCELUPFW,
    CGI_SETBUZZER,
    CGI_SEARCHPLAYBACK,
    CGI_COMMAND_COUNT
};

struct CgiCommand {
    uint32_t dwIndex;
    const char* lpPath;
};

// Row i holds command index i.
extern const CgiCommand g_CgiCommandTable[CGI_COMMAND_COUNT];

// The path of command `index`; empty for an index outside the table.
std::string_view GetCgiCommandPath(uint8_t index);

class CCgiRequest {
  public:
    explicit CCgiRequest(uint8_t index);

    // Appends "?name=value" for the first parameter, "&name=value" after that.
    // 0 (and the request becomes invalid) when the name or value holds CR, LF or NUL.
    int AddParam(std::string_view name, std::string_view value);
    // The same with the value in decimal, a minus sign for negative values.
    int AddIntParam(std::string_view name, int value);

    int GetLength() const { return static_cast<int>(m_strRequest.size()); }
    // The request text as a writable buffer of exactly GetLength() characters; valid
    // until the next change, Reset or destruction.
    char* GetBuffer() { return m_strRequest.data(); }
    const std::string& GetText() const { return m_strRequest; }

    // False when the index is outside the table or a parameter was refused; such a
    // request must not be sent.
    bool IsValid() const { return m_bValid; }

    // Back to the bare path of the same command, no parameters, valid again (for a
    // known index). Returns 1.
    int Reset();

  private:
    std::string m_strRequest;
    uint16_t m_wParamCount = 0;
    uint8_t m_byIndex;
    bool m_bValid = true;
};
