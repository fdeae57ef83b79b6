// The system's font configuration, read ahead on a second thread.
#pragma once

#include <memory>

// Reading the font configuration is the largest single cost before a
// window's first text, and needs nothing of the application: started first
// thing, it runs beside the application's own set-up. Wait() (or the end of
// the object) waits for it; after that the toolkit finds it ready. Where
// the toolkit uses no such configuration (Windows), nothing is done.
class FontConfigurationRead {
public:
    FontConfigurationRead();
    ~FontConfigurationRead();
    FontConfigurationRead(const FontConfigurationRead&) = delete;
    FontConfigurationRead& operator=(const FontConfigurationRead&) = delete;

    void Wait();

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};
