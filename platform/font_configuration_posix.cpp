#include "platform/font_configuration.h"

#include <fontconfig/fontconfig.h>

#include <thread>

struct FontConfigurationRead::Impl {
    std::thread reader;
};

FontConfigurationRead::FontConfigurationRead() : d_(std::make_unique<Impl>()) {
    // The library keeps what it read as its current configuration; the
    // toolkit's own FcInit later returns at once.
    d_->reader = std::thread([] { FcInit(); });
}

FontConfigurationRead::~FontConfigurationRead() {
    Wait();
}

void FontConfigurationRead::Wait() {
    if (d_->reader.joinable())
        d_->reader.join();
}
