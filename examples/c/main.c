/* A host in C: a raw Y16 frame to grey by the automatic linear stretch, and one temperature
 * recomputed for a new emissivity. Exits non-zero when a result is implausible. */
#include <stdio.h>
#include <stdlib.h>

#include <KModuleMeasure.h>
#include <KModuleMeasureStatus.h>

enum { WIDTH = 64, HEIGHT = 48 };

int main(void) {
    static int16_t frame[WIDTH * HEIGHT];
    static uint8_t grey[WIDTH * HEIGHT];
    /* A room at about 8000 counts warming to the right, with a hot spot in the middle. */
    for (int y = 0; y < HEIGHT; ++y)
        for (int x = 0; x < WIDTH; ++x)
            frame[y * WIDTH + x] = (int16_t)(8000 + 10 * x + (abs(x - 32) + abs(y - 24) < 6) * 900);

    int16_t high = 0, low = 0;
    Y16MappingAD_dll(frame, grey, 255, 128, WIDTH, HEIGHT, &high, &low, 1);
    printf("KModuleMeasure %s\n", kmm_version());
    printf("Y16MappingAD_dll: limits %d .. %d, left edge grey %u, hot spot grey %u\n", low, high,
           grey[24 * WIDTH], grey[24 * WIDTH + 32]);

    DeviceCorrectionParam device = {60, 0.95f, 23.0f, 25.0f, 1, 20, 5, 0, 0, 0, 10000000, 0, 0};
    float corrected = 0.0f;
    getNewTemperature_dll("DV19", &corrected, 36.5f, 0.95f, 0.80f, 1.5f, 1.5f, 23.0f, 23.0f,
                          &device);
    printf("getNewTemperature_dll: 36.5 degC at emissivity 0.95 is %.1f degC at 0.80\n",
           corrected);

    const int ok = low < high && grey[24 * WIDTH + 32] > grey[24 * WIDTH] && corrected > 36.5f;
    return ok ? 0 : 1;
}
