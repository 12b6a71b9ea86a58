#pragma once

#include <thread>

// Reading the system's font configuration (its XML files and the font caches) takes a good
// part of the start; Qt does it when the main window first needs a font. Begun on a thread
// of its own while the application connects to the display, it is done by then, on a
// machine with a second core. Only the font library's own state is touched, and it is safe
// to use from several threads; Qt later finds it read.
class FontConfigurationPreload {
  public:
    FontConfigurationPreload();
    // Waits for the reading to end (long over by the end of the run).
    ~FontConfigurationPreload();
    FontConfigurationPreload(const FontConfigurationPreload&) = delete;
    FontConfigurationPreload& operator=(const FontConfigurationPreload&) = delete;

  private:
    std::thread reading_;
};
