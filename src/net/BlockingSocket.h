#pragma once
// A small blocking IPv4 socket. Every failing operation throws CBlockingSocketException
// carrying the operation's name; Receive never throws and reports failure as -1.
//
// Every wait is a poll with a whole-second time-out. A socket may be given the stop token of
// the thread that uses it: a stop request then ends a blocked connect, send or receive at once
// with a failure, so a stopping thread never sits out a network time-out.
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <exception>
#include <optional>
#include <stop_token>
#include <string>

// An IPv4 socket address with the layout of sockaddr_in, so that it goes straight to the
// socket calls.
struct CSocketAddress : sockaddr_in {
    // Family AF_INET, port 0, address 0.
    CSocketAddress();
    // From dotted text and a port in host order. Never fails: a text that is not a dotted
    // address gives 255.255.255.255.
    CSocketAddress(const char* dottedText, int port);

    operator const sockaddr*() const { return reinterpret_cast<const sockaddr*>(this); }
    // The address in host byte order (highest byte first when printed as four bytes).
    uint32_t GetIPAddress() const;
};
static_assert(sizeof(CSocketAddress) == 16);

class CBlockingSocketException : public std::exception {
  public:
    explicit CBlockingSocketException(std::string operation)
        : m_strOperation(std::move(operation)) {}
    const char* what() const noexcept override { return m_strOperation.c_str(); }

    // The name of the failed operation ("Create", "Connect", "Send timeout", ...).
    std::string m_strOperation;
};

class CBlockingSocket {
  public:
    // Socket types for Create.
    static constexpr int kStream = SOCK_STREAM;
    static constexpr int kDatagram = SOCK_DGRAM;
    // The value of m_hSocket while there is no socket.
    static constexpr int kNoSocket = -1;
    // Connect's wait when the caller names none: the socket's own bound, not the system's
    // minutes-long default.
    static constexpr int kDefaultConnectSeconds = 15;

    // `stop`: the token whose stop request interrupts this socket's waits (none by default).
    explicit CBlockingSocket(std::stop_token stop = {});
    // Closes a socket that is still open.
    ~CBlockingSocket();
    CBlockingSocket(const CBlockingSocket&) = delete;
    CBlockingSocket& operator=(const CBlockingSocket&) = delete;

    // Replaces the stop token; call it before a wait, not during one.
    void SetStopToken(std::stop_token stop);

    // Opens a socket of type kStream or kDatagram, closing one that is still open.
    void Create(int type);
    void Bind(const sockaddr* address);
    // Connects within `seconds`; a time-out, a refusal and a stop request throw "Connect".
    void Connect(const sockaddr* address, int seconds = kDefaultConnectSeconds);
    // Waits for writability and sends until every byte is out ("Send timeout" / "Send").
    // A length of 0 still waits once and issues one empty send.
    int SendAll(const char* data, int length, int seconds);
    // The same result through repeated Send calls.
    int Write(const char* data, int length, int seconds);
    // One wait for writability, one send; returns the bytes that send took.
    int Send(const char* data, int length, int seconds);
    // One wait for readability, one receive of at most `size` bytes. Returns 1..size, or -1
    // for no socket, a time-out, an error, a closed connection or a stop request.
    int Receive(char* buffer, int size, int seconds);
    // What ReceiveDatagram found.
    enum class DatagramResult { kReceived, kTimeout, kFailed, kStopped };
    // One wait of at most `milliseconds` for readability, then one datagram taken whole:
    // at most `size` bytes of it land in `buffer`, and `length` is its full length, which
    // tells a datagram longer than the buffer (its rest is dropped) from one that fits.
    DatagramResult ReceiveDatagram(char* buffer, int size, int milliseconds, int& length);
    // One datagram to m_DestAddress, sent at once (`seconds` is not used).
    int Sendto(const char* data, int length, int seconds);
    // Switches broadcasting on; returns 0.
    int SetSockOpt();
    // Closes the socket (nothing when there is none); throws "Close" when closing fails,
    // with the handle released all the same.
    void Close();
    // Closes the socket quietly; never throws.
    void Cleanup();

    // Resolves `name` to its first IPv4 address; throws "GetHostByName".
    static CSocketAddress GetHostByName(const char* name, unsigned short port);

    int m_hSocket = kNoSocket;
    // Destination of Sendto; the user sets it before sending.
    CSocketAddress m_DestAddress;
    int m_bConnected = 0;

  private:
    enum class WaitResult { kReady, kTimeout, kStopped };
    WaitResult WaitFor(short events, int timeoutMs);
    void ThrowIfStopped(const char* operation) const;

    // Wakes a blocked poll when the stop is requested: the callback writes to an eventfd that
    // every wait polls beside the socket.
    struct Waker {
        int fd;
        void operator()() const noexcept;
    };
    std::stop_token m_stop;
    int m_wakeFd = kNoSocket;
    std::optional<std::stop_callback<Waker>> m_stopCallback;
};
