// The first byte gives the length of the serial number that is looked up
// (0..16), the next bytes are that serial number, the rest is the file.
#include "settings/sensor_file.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t serialLength = std::min<std::size_t>(data[0] % 17, size - 1);
    const std::string serial(reinterpret_cast<const char*>(data + 1), serialLength);
    const std::string content(reinterpret_cast<const char*>(data + 1 + serialLength),
                              size - 1 - serialLength);

    const SensorFile file(content);
    const int factor = file.Factor(serial);
    // The verification value is the same key read as any other.
    if (file.VerificationValue() != file.Factor(kSensorVerificationKey)) {
        std::abort();
    }
    if (IsPossibleSensorFactor(factor)) {
        const int sum = SensorVerificationValue(factor);
        // Five digits, the first 6 or 7.
        if (sum < 6 || sum > 43) {
            std::abort();
        }
    }
    return 0;
}
