// Sets the monitors of a TigerVNC Xvnc: an RFB client (security type None) that sends
// SetDesktopSize with the screens given and waits for the server's answer.
//
//   vnc_layout SOCKET-PATH WxH+X+Y [WxH+X+Y ...]
//
// SOCKET-PATH is the unix socket Xvnc listens on for RFB (-rfbunixpath).
// Exits 0 when the server reports the layout applied as asked, 1 when it refused or answered
// otherwise, 2 on a usage error. Gives up after 10 seconds.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Screen {
    unsigned x, y, width, height;
};

int server = -1;

bool readAll(void* data, size_t size) {
    for (auto* p = static_cast<unsigned char*>(data); size > 0;) {
        const ssize_t got = read(server, p, size);
        if (got <= 0)
            return false;
        p += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

bool skip(size_t size) {
    unsigned char buffer[4096];
    for (size_t n; size > 0; size -= n)
        if (!readAll(buffer, n = size < sizeof buffer ? size : sizeof buffer))
            return false;
    return true;
}

bool writeAll(const std::vector<unsigned char>& data) {
    return write(server, data.data(), data.size()) == static_cast<ssize_t>(data.size());
}

unsigned u16(const unsigned char* p) {
    return p[0] << 8 | p[1];
}
uint32_t u32(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}
void put16(std::vector<unsigned char>& out, unsigned v) {
    out.insert(out.end(), {static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)});
}
void put32(std::vector<unsigned char>& out, uint32_t v) {
    put16(out, v >> 16);
    put16(out, v & 0xFFFF);
}

bool connectTo(const std::string& path) {
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    if (path.size() >= sizeof where.sun_path)
        return false;
    std::strcpy(where.sun_path, path.c_str());
    // The server may still be starting: tried for a few seconds.
    for (int tries = 0; tries < 50; ++tries, usleep(100000)) {
        server = socket(AF_UNIX, SOCK_STREAM, 0);
        if (connect(server, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0)
            return true;
        close(server);
        server = -1;
    }
    return false;
}

int fail(const char* why) {
    std::fprintf(stderr, "vnc_layout: %s\n", why);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<Screen> screens;
    unsigned width = 0, height = 0;
    for (int i = 2; i < argc; ++i) {
        Screen s{};
        char end = 0;
        if (std::sscanf(argv[i], "%ux%u+%u+%u%c", &s.width, &s.height, &s.x, &s.y, &end) != 4 ||
            s.width == 0 || s.height == 0 || s.x + s.width > 65535 || s.y + s.height > 65535) {
            screens.clear();
            break;
        }
        screens.push_back(s);
        width = std::max(width, s.x + s.width);
        height = std::max(height, s.y + s.height);
    }
    if (screens.empty() || screens.size() > 255) {
        std::fprintf(stderr, "usage: %s SOCKET-PATH WxH+X+Y [WxH+X+Y ...]\n", argv[0]);
        return 2;
    }
    if (!connectTo(argv[1]))
        return fail("cannot connect");
    const timeval limit{10, 0};
    setsockopt(server, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);

    // Handshake (RFC 6143 7.1-7.3): version 3.8, security type None, shared session.
    unsigned char version[12];
    if (!readAll(version, 12) || std::memcmp(version, "RFB 003.", 8) != 0)
        return fail("not an RFB server");
    if (!writeAll({'R', 'F', 'B', ' ', '0', '0', '3', '.', '0', '0', '8', '\n'}))
        return fail("connection lost");
    unsigned char count = 0, types[255];
    if (!readAll(&count, 1) || count == 0 || !readAll(types, count))
        return fail("the server offers no security type");
    if (!std::memchr(types, 1, count))
        return fail("the server does not offer security type None");
    unsigned char result[4];
    if (!writeAll({1}) || !readAll(result, 4) || u32(result) != 0)
        return fail("security handshake failed");
    unsigned char init[24];
    if (!writeAll({1}) || !readAll(init, 24) || !skip(u32(init + 20)))
        return fail("no ServerInit");
    const unsigned bytesPerPixel = init[4] / 8;

    // SetEncodings: Raw and ExtendedDesktopSize (-308); SetDesktopSize (251); and an update
    // request, which the answer comes in.
    std::vector<unsigned char> out{2, 0};
    put16(out, 2);
    put32(out, 0);
    put32(out, static_cast<uint32_t>(-308));
    out.insert(out.end(), {251, 0});
    put16(out, width);
    put16(out, height);
    out.insert(out.end(), {static_cast<unsigned char>(screens.size()), 0});
    for (size_t i = 0; i < screens.size(); ++i) {
        put32(out, static_cast<uint32_t>(i + 1)); // screen id
        for (unsigned v : {screens[i].x, screens[i].y, screens[i].width, screens[i].height})
            put16(out, v);
        put32(out, 0); // flags
    }
    const std::vector<unsigned char> request{3, 0, 0, 0, 0, 0, 0, 1, 0, 1};
    out.insert(out.end(), request.begin(), request.end());
    if (!writeAll(out))
        return fail("connection lost");

    for (;;) {
        unsigned char type = 0;
        if (!readAll(&type, 1))
            return fail("the server closed the connection or did not answer");
        unsigned char header[8];
        if (type == 1) { // SetColourMapEntries
            if (!readAll(header, 5) || !skip(6u * u16(header + 3)))
                return fail("connection lost");
            continue;
        }
        if (type == 2) // Bell
            continue;
        if (type == 3) { // ServerCutText
            if (!readAll(header, 7) || !skip(u32(header + 3)))
                return fail("connection lost");
            continue;
        }
        if (type != 0)
            return fail("unexpected message from the server");
        if (!readAll(header, 3))
            return fail("connection lost");
        for (unsigned rects = u16(header + 1); rects > 0; --rects) {
            unsigned char rect[12];
            if (!readAll(rect, 12))
                return fail("connection lost");
            const int32_t encoding = static_cast<int32_t>(u32(rect + 8));
            if (encoding == 0) {
                if (!skip(size_t(u16(rect + 4)) * u16(rect + 6) * bytesPerPixel))
                    return fail("connection lost");
                continue;
            }
            if (encoding != -308 && encoding != -223) // -223: DesktopSize, carries nothing
                return fail("unexpected encoding from the server");
            if (encoding == -223)
                continue;
            // x: the reason (1: this client's request), y: the status, then the layout.
            unsigned char n[4];
            if (!readAll(n, 4))
                return fail("connection lost");
            std::vector<Screen> now(n[0]);
            for (Screen& s : now) {
                unsigned char entry[16];
                if (!readAll(entry, 16))
                    return fail("connection lost");
                s = {u16(entry + 4), u16(entry + 6), u16(entry + 8), u16(entry + 10)};
            }
            if (u16(rect) != 1)
                continue;
            static const char* const refusals[] = {"", "resize prohibited", "out of resources",
                                                   "invalid screen layout"};
            const unsigned status = u16(rect + 2);
            if (status != 0) {
                std::fprintf(stderr, "vnc_layout: the server refused the layout: %s\n",
                             status < 4 ? refusals[status] : "unknown reason");
                return 1;
            }
            const auto byPlace = [](const Screen& a, const Screen& b) {
                return a.y != b.y ? a.y < b.y : a.x < b.x;
            };
            std::sort(now.begin(), now.end(), byPlace);
            std::sort(screens.begin(), screens.end(), byPlace);
            bool same =
                now.size() == screens.size() && u16(rect + 4) == width && u16(rect + 6) == height;
            for (size_t i = 0; same && i < now.size(); ++i)
                same = std::memcmp(&now[i], &screens[i], sizeof(Screen)) == 0;
            if (!same) {
                std::fprintf(stderr, "vnc_layout: the server applied another layout: %ux%u,",
                             u16(rect + 4), u16(rect + 6));
                for (const Screen& s : now)
                    std::fprintf(stderr, " %ux%u+%u+%u", s.width, s.height, s.x, s.y);
                std::fprintf(stderr, "\n");
                return 1;
            }
            return 0;
        }
        if (!writeAll(request))
            return fail("connection lost");
    }
}
