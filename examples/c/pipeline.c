/* A host in C driving the image pipeline: a frame of temperature codes (0.05 degC a unit)
 * with column stripes and a hot spot; the stripes removed, the frame mapped, zoomed twice and
 * coloured with the iron palette. Exits non-zero when the picture is implausible. */
#include <stdio.h>
#include <stdlib.h>

#include <KModuleMeasurePipeline.h>

enum { WIDTH = 160, HEIGHT = 120 };

int main(void) {
    static int16_t frame[WIDTH * HEIGHT];
    for (int y = 0; y < HEIGHT; ++y)
        for (int x = 0; x < WIDTH; ++x) {
            const int stripe = x % 8 == 0 ? 12 : 0, hot = abs(x - 80) + abs(y - 60) < 10;
            frame[y * WIDTH + x] = (int16_t)(400 + 2 * y + stripe + hot * 600);
        }

    kmm_pipeline* pipeline = kmm_pipeline_create(WIDTH, HEIGHT, 2.0f);
    if (!pipeline) return 1;
    kmm_pipeline_set_colour(pipeline, 1, 3, KMM_COLOUR_RGB24, 0); /* iron, R, G, B */
    kmm_pipeline_image image;
    kmm_pipeline_output(pipeline, &image);
    uint8_t* rgb = malloc(image.bytes);
    const kmm_status status = kmm_pipeline_run(pipeline, frame, rgb, image.bytes, &image);
    printf("kmm_pipeline_run: %s, %u x %u, %u bytes a pixel\n", kmm_status_text(status),
           image.width, image.height, image.bytes_per_pixel);

    /* The hot spot's centre is brighter in red than the top left corner. */
    const size_t centre = ((size_t)120 * image.width + 160) * 3, corner = 0;
    const int ok = status == KMM_OK && image.width == 2 * WIDTH && rgb &&
                   rgb[centre] > rgb[corner];
    free(rgb);
    kmm_pipeline_destroy(pipeline);
    return ok ? 0 : 1;
}
