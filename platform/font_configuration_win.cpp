#include "platform/font_configuration.h"

// The toolkit asks the system for its fonts when it needs them.
struct FontConfigurationRead::Impl {};

FontConfigurationRead::FontConfigurationRead() = default;
FontConfigurationRead::~FontConfigurationRead() = default;

void FontConfigurationRead::Wait() {}
