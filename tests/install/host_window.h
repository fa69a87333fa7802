// A window made the way a screen-saver host makes one for its hack, on its own connection.
#pragma once

#include <string>

class HostWindow {
  public:
    // `display` is an X display name such as ":91".
    HostWindow(const std::string& display, int x, int y, int width, int height);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    bool made() const { return window != 0; }
    // Takes the window away, as a host does when it is done with it.
    void destroy();
    // As hosts write it into XSCREENSAVER_WINDOW: "0x" and hexadecimal digits.
    std::string id() const;

  private:
    struct _XDisplay* connection = nullptr;
    unsigned long window = 0;
};
