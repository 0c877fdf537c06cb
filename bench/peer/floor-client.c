// The floor of a one-shot update pass: a client that does nothing but send each name's request on one kept
// connection to 127.0.0.1 and read its whole answer before the next, with the same request bytes as
// zelto-premium. What it costs is what any correct client that sends its requests one at a time pays.
//     floor-client N PORT
// Exits 0 when all N answers came, 1 on a failure or when one took more than 2 seconds.
#define _GNU_SOURCE
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

// The length of a whole answer at the start of buf, or 0 while its head or body is still incomplete.
static size_t WholeAnswer(const char* buf, size_t have) {
    const char* end = memmem(buf, have, "\r\n\r\n", 4);
    if (end == NULL)
        return 0;
    size_t head = (size_t)(end - buf) + 4;
    size_t body = 0;
    for (const char* line = buf; line < end;
         line = (const char*)memmem(line, (size_t)(end + 2 - line), "\r\n", 2) + 2) {
        if (strncasecmp(line, "Content-Length:", 15) == 0)
            body = strtoul(line + 15, NULL, 10);
    }
    return have >= head + body ? head + body : 0;
}

int main(int argc, char** argv) {
    if (argc != 3)
        return 1;
    const int count = atoi(argv[1]);
    const int port = atoi(argv[2]);
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    struct sockaddr_in server = {.sin_family = AF_INET, .sin_port = htons(port)};
    inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
    if (connect(fd, (struct sockaddr*)&server, sizeof server) != 0)
        return 1;
    char request[512];
    char answer[16384];
    for (int number = 1; number <= count; ++number) {
        const int length = snprintf(request, sizeof request,
                                    "GET /premium/update.asp?first=test&second=h%d.bench&password=benchpw HTTP/1.1\r\n"
                                    "Host: 127.0.0.1:%d\r\nUser-Agent: zelto-premium\r\nAccept: */*\r\n"
                                    "Cache-Control: no-cache\r\nPragma: no-cache\r\n\r\n",
                                    number, port);
        if (send(fd, request, (size_t)length, MSG_NOSIGNAL) != length)
            return 1;
        size_t have = 0;
        while (WholeAnswer(answer, have) == 0) {
            struct pollfd ready = {.fd = fd, .events = POLLIN};
            if (have == sizeof answer || poll(&ready, 1, 2000) != 1)
                return 1;
            const ssize_t got = recv(fd, answer + have, sizeof answer - have, 0);
            if (got <= 0)
                return 1;
            have += (size_t)got;
        }
    }
    return 0;
}
