// A host in C++: a temperature matrix to grey through the image pipeline with its automatic
// range, and the range it reports back. Exits non-zero when a result is implausible.
#include <KModuleMeasure.h>

#include <cstdio>
#include <vector>

int main() {
    constexpr int width = 160, height = 120;
    // A room at 21 degC with a person at 34 degC in the middle.
    std::vector<float> temps(width * height, 21.0f);
    for (int y = 30; y < 110; ++y)
        for (int x = 65; x < 95; ++x) temps[y * width + x] = 34.0f;

    std::vector<uint8_t> grey(temps.size());
    float maxTemp = 0.0f, minTemp = 0.0f;
    imageMapping_dll("DV07", 150.0f, temps.data(), grey.data(), width, height, &maxTemp, &minTemp,
                     true);
    const uint8_t room = grey[0], person = grey[60 * width + 80];
    std::printf("imageMapping_dll DV07: range %.2f .. %.2f degC, room grey %d, person grey %d\n",
                double(minTemp), double(maxTemp), room, person);
    return minTemp < 21.5f && maxTemp > 33.5f && person > room ? 0 : 1;
}
