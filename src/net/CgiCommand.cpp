#include "net/CgiCommand.h"

#include <string>

const CgiCommand g_CgiCommandTable[CGI_COMMAND_COUNT] = {
    {CGI_LOGIN, "/Login.cgi"},
    {CGI_GETVIDEO, "/Getvideo.cgi"},
    {CGI_SETCHANNEL, "/SetChannel.cgi"},
    {CGI_SETRESOLUTION, "/Setresolution.cgi"},
    {CGI_SETQUALITY, "/Setquality.cgi"},
    {CGI_SETBRCSSA, "/Setbrcssa.cgi"},
    {CGI_GETSYSCFG, "/GetSysCfg.cgi"},
    {CGI_PERIODCOMMAND, "/Periodcommand.cgi"},
    {CGI_SETSYSCFG, "/SetSysCfg.cgi"},
    {CGI_UPGRADEFW, "/UpgradeFW.cgi"},
    {CGI_GETONLINEUSER, "/GetOnlineUser.cgi"},
    {CGI_RS485CMD, "/RS485Cmd.cgi"},
    {CGI_SETHALVO, "/SetHalvo.cgi"},
    {CGI_REBOOT, "/Reboot.cgi"},
    {CGI_GETDEVICEINFO, "/Getdeviceinfo.cgi"},
    {CGI_GETLOG, "/Getlog.cgi"},
    {CGI_SETRETR, "/SetRetr.cgi"},
    {CGI_GETDVRHDD, "/GetDvrHDD.cgi"},
    {CGI_NETWORKBK, "/NetworkBk.cgi"},
    {CGI_PTZRESET, "/PTZReset.cgi"},
    {CGI_GETCOLOR, "/GetColor.cgi"},
    {CGI_SETCOLOR, "/SetColor.cgi"},
    {CGI_SYNCTIME, "/SyncTime.cgi"},
    {CGI_GETSEARCHLIST, "/GetSearchList.cgi"},
    {CGI_GETVERSION, "/GetVersion.cgi"},
    {CGI_CANCELNB, "/CancelNB.cgi"},
    {CGI_GETVERSION2, "/GetVersion.cgi"},
    {CGI_GETDVRNAME, "/GetDvrName.cgi"},
    {CGI_GETDEFAULTLANG, "/getDefaultLang.cgi"},
    {CGI_GETINDEXLANG, "/getIndexLang.cgi"},
    {CGI_OV9653ZOOM, "/OV9653Zoom.cgi"},
    {CGI_OV9653ROTATE, "/OV9653Rotate.cgi"},
    {CGI_CLEARLOG, "/ClearLog.cgi"},
    {CGI_GETDVRDATE, "/GetDvrDate.cgi"},
    {CGI_SETDVRDATE, "/SetDvrDate.cgi"},
    {CGI_GETRECORDSETTING, "/GetRecordSetting.cgi"},
    {CGI_SETRECORDSETTING, "/SetRecordSetting.cgi"},
    {CGI_CANCELUPFW, "/CancelUPFW.cgi"},
    {CGI_SETBUZZER, "/SetBuzzer.cgi"},
    {CGI_SEARCHPLAYBACK, "/SearchPlayBack.cgi"},
};

namespace {

bool BreaksRequestLine(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

std::string_view GetCgiCommandPath(uint8_t index) {
    return index < CGI_COMMAND_COUNT ? g_CgiCommandTable[index].lpPath : std::string_view{};
}

CCgiRequest::CCgiRequest(uint8_t index) : m_byIndex(index) { Reset(); }

int CCgiRequest::AddParam(std::string_view name, std::string_view value) {
    if (BreaksRequestLine(name) || BreaksRequestLine(value)) {
        m_bValid = false;
        return 0;
    }
    m_strRequest += m_wParamCount == 0 ? '?' : '&';
    m_strRequest += name;
    m_strRequest += '=';
    m_strRequest += value;
    ++m_wParamCount;
    return 1;
}

int CCgiRequest::AddIntParam(std::string_view name, int value) {
    return AddParam(name, std::to_string(value));
}

int CCgiRequest::Reset() {
    m_strRequest = GetCgiCommandPath(m_byIndex);
    m_wParamCount = 0;
    m_bValid = m_byIndex < CGI_COMMAND_COUNT;
    return 1;
}
