#include "net/LiveStreamRequest.h"

#include "net/CgiCommand.h"

std::string BuildDeviceGetRequest(const CCgiRequest& target, std::string_view hostAddress) {
    if (!target.IsValid()) return {};
    return BuildDeviceGetRequestFor(target.GetText(), hostAddress);
}

std::string BuildDeviceGetRequestFor(std::string_view target, std::string_view hostAddress) {
    const std::string_view breaking("\r\n\0", 3);
    if (target.find_first_of(breaking) != std::string_view::npos ||
        hostAddress.find_first_of(breaking) != std::string_view::npos) {
        return {};
    }
    std::string request = "GET " + std::string(target) + " HTTP/1.1\r\n";
    request += "Accept: */* \r\n";
    request += "Accept-Language: zh-tw\r\n";
    request += "Accept-Encoding: gzip, deflate\r\n";
    request +=
        "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR "
        "1.1.4322)\r\n";
    request += "Host: " + std::string(hostAddress) + "\r\n";
    request += "Connection: Keep-Alive\r\n";
    request += "\r\n";
    return request;
}

std::string BuildLiveStreamRequest(std::string_view cookie, std::string_view hostAddress) {
    CCgiRequest target(CGI_GETVIDEO);
    target.AddParam("Cookie", cookie);
    return BuildDeviceGetRequest(target, hostAddress);
}
