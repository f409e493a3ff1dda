/*
 * KModuleMeasure image pipeline: a host's own frames of temperature codes (signed 16-bit,
 * 0.05 degC per unit, or any signed 16-bit signal) through the library's chain of stages into
 * an 8-bit grey or a colour image. Usable from C11 and C++.
 *
 * The chain, in run order (each stage switched on or off by its setter):
 *   flat-field correction, bad-pixel repair, temporal noise filter, column-stripe removal,
 *   row-stripe removal, spatial smoothing, mirror, rotation            (16-bit frame)
 *   grey mapping (linear, equalised, mixed, fixed window) or the detail-enhanced mapping
 *   with optional adaptive equalisation, look-up table, sharpening, brightness/contrast,
 *   zoom, pseudo-colour                                                (8-bit image)
 * A new pipeline removes column stripes, maps with the equalised mapping and colours with
 * palette 2 into 3-byte B, G, R pixels; everything else is off.
 *
 *   kmm_pipeline* p = kmm_pipeline_create(640, 512, 1.0f);
 *   kmm_pipeline_set_colour(p, 1, 3, KMM_COLOUR_RGB24, 0);      // iron, R, G, B
 *   kmm_pipeline_image image;
 *   kmm_pipeline_output(p, &image);                            // allocate image.bytes
 *   kmm_pipeline_run(p, frame, out, capacity, &image);         // each frame
 *   kmm_pipeline_destroy(p);
 *
 * Every function but create and destroy returns a kmm_status; on anything other than KMM_OK
 * nothing was written and the pipeline is as it was. A pipeline keeps state between runs
 * (the temporal history, the last mapping's statistics) and is used by one thread at a time;
 * different pipelines may run on any number of threads at once.
 */
#ifndef KMODULEMEASURE_PIPELINE_H
#define KMODULEMEASURE_PIPELINE_H

#include <stddef.h>
#include <stdint.h>

#include "KModuleMeasureStatus.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct kmm_pipeline kmm_pipeline;

/* Output pixel formats of the colour stage; N = width x height. The luma/chroma formats take
 * video-range Y/Cb/Cr. kmm_pipeline_output says how many bytes each writes. */
typedef enum kmm_colour_format {
    KMM_COLOUR_BGR24 = 0,        /* B, G, R                                              */
    KMM_COLOUR_RGBA32 = 1,       /* R, G, B, 255                                         */
    KMM_COLOUR_RGB24 = 2,        /* R, G, B                                              */
    KMM_COLOUR_RGB16 = 3,        /* R x 2048 + (G & 63) x 32 + (B & 31), 16 bits, low
                                    byte first                                          */
    KMM_COLOUR_YCBYCR = 4,       /* Y, then Cb for an even pixel, Cr for an odd one      */
    KMM_COLOUR_YCRYCB = 5,       /* as 4, Cr for even, Cb for odd                        */
    KMM_COLOUR_PLANAR422 = 6,    /* Y plane; Cb at N, Cr at 3N/2, one per even pixel     */
    KMM_COLOUR_PLANAR422_CR = 7, /* as 6, Cr at N, Cb at 3N/2                            */
    KMM_COLOUR_NV12 = 8,         /* Y plane; (Cb, Cr) pairs at N, one per 2 x 2 block    */
    KMM_COLOUR_NV21 = 9,         /* as 8, (Cr, Cb)                                       */
    KMM_COLOUR_I420 = 10,        /* Y plane; Cb at N, Cr at 5N/4, one per 2 x 2 block    */
    KMM_COLOUR_YV12 = 11         /* as 10, Cr at N, Cb at 5N/4                           */
} kmm_colour_format;

/* The image a run writes with the current settings: its size after rotation and zoom, its
 * bytes per pixel (1 grey; 4 for RGBA32 and 3 for every other colour format, as the stage
 * counts them) and exactly how many bytes a run writes. */
typedef struct kmm_pipeline_image {
    uint32_t width;
    uint32_t height;
    uint32_t bytes_per_pixel;
    uint64_t bytes;
} kmm_pipeline_image;

/* A pipeline for frames of width x height and an output zoom (1.0 none; below 1.0 counts as
 * 1.0). Null when a side is <= 0, the image would pass 2^29 pixels, or memory runs out. */
KMM_API kmm_pipeline* kmm_pipeline_create(int32_t width, int32_t height, float zoom);

/* Frees the pipeline; null does nothing. */
KMM_API void kmm_pipeline_destroy(kmm_pipeline* pipeline);

/* ---- Frame corrections (16-bit stages) ------------------------------------------------- *
 * Switches take 0 (off) or 1 (on); any other value is KMM_ERROR_BAD_VALUE. */

/* Flat-field correction: (raw - dark) x gain in Q13 from the loaded raw frame, which replaces
 * the run's input; the frames are zero (the stage passes the frame through) until loaded. */
KMM_API kmm_status kmm_pipeline_set_flat_field(kmm_pipeline* pipeline, int on);

/* Bad-pixel repair: a pixel whose gain-frame value has its top bit set becomes the median of
 * its good neighbours. A run repairs only once a gain frame is loaded whose first value is not
 * 0 (an unfilled gain frame reads as "no marks"). */
KMM_API kmm_status kmm_pipeline_set_bad_pixel_repair(kmm_pipeline* pipeline, int on);

/* Copies width x height values from each non-null frame into the flat-field frames.
 * KMM_ERROR_BAD_VALUE while neither flat-field correction nor bad-pixel repair is on, or, for
 * dark and raw, while flat-field correction is off. */
KMM_API kmm_status kmm_pipeline_load_flat_field(kmm_pipeline* pipeline, const uint16_t* dark,
                                                const uint16_t* gain, const uint16_t* raw);

/* Temporal noise filter with the sigma of its weights (1..1000, default 8); switching it on
 * starts a new sequence, whose first frame passes unchanged. */
KMM_API kmm_status kmm_pipeline_set_temporal_filter(kmm_pipeline* pipeline, int on,
                                                    uint32_t sigma);

/* Column- or row-stripe removal: window of the range-weighted filter along the row or column
 * (1..11; default 9), the mean weight (Q12, 4096 = flat) a row or column needs to count
 * (0..4096; default 3500) and the clamp of the differences (0..32767; default 20). */
KMM_API kmm_status kmm_pipeline_set_column_stripes(kmm_pipeline* pipeline, int on,
                                                   uint32_t window, uint32_t threshold,
                                                   uint32_t clamp);
KMM_API kmm_status kmm_pipeline_set_row_stripes(kmm_pipeline* pipeline, int on, uint32_t window,
                                                uint32_t threshold, uint32_t clamp);

/* Spatial smoothing over 3 x 3 pixels: mode 0 Gaussian of sigma in tenths of a pixel (1..1000;
 * default 5), 1 range-weighted (edge-preserving; sigma not used). */
KMM_API kmm_status kmm_pipeline_set_smoothing(kmm_pipeline* pipeline, int on, uint32_t mode,
                                              uint32_t sigma);

/* Mirror: mode 0 left-right, 1 top-bottom, 2 both (a half turn). */
KMM_API kmm_status kmm_pipeline_set_mirror(kmm_pipeline* pipeline, int on, uint32_t mode);

/* Rotation: mode 0 a quarter turn clockwise, 1 a half turn, 2 a quarter turn anticlockwise;
 * quarter turns exchange the image's width and height. */
KMM_API kmm_status kmm_pipeline_set_rotation(kmm_pipeline* pipeline, int on, uint32_t mode);

/* ---- Grey mapping ---------------------------------------------------------------------- */

/* Mode 0 linear, 1 equalised (default), 2 mixed, 3 fixed window. */
KMM_API kmm_status kmm_pipeline_set_mapping(kmm_pipeline* pipeline, uint32_t mode);

/* The fixed window of mode 3, in frame units (high > low). A window at least 128 values wide
 * spreads over 510 grey levels from low, so the values above its middle come out white: for
 * low..top on the whole grey scale, give high = low + 2 x (top - low). */
KMM_API kmm_status kmm_pipeline_set_window(kmm_pipeline* pipeline, int16_t high, int16_t low);

/* Linear mapping: histogram cut in tenths of a percent at each end (0..500; default 10), grey
 * level of the frame mean (0..255; default 20) and grey levels the cut range spans (0..1024;
 * default 200). The mixed mapping uses these too. */
KMM_API kmm_status kmm_pipeline_set_linear(kmm_pipeline* pipeline, uint32_t percentile,
                                           uint32_t brightness, uint32_t contrast);

/* Equalised mapping: centre grey level (0..255; default 80), histogram plateau (1..1000000;
 * default 200) and the largest grey range (0..255; default 230). */
KMM_API kmm_status kmm_pipeline_set_equalised(kmm_pipeline* pipeline, uint32_t brightness,
                                              uint32_t plateau, uint32_t max_range);

/* Detail-enhanced mapping instead of the plain one: window of the edge-preserving base filter
 * (1..11; default 3) and detail gain in sixteenths (0..65535; default 48, the detail
 * tripled). */
KMM_API kmm_status kmm_pipeline_set_detail(kmm_pipeline* pipeline, int on, uint32_t base_window,
                                           uint32_t gain);

/* Contrast-limited adaptive equalisation of the detail-enhanced mapping's base image: tiles
 * across and down (1..16; default 2 x 2) and clip factor (1..100; default 5). */
KMM_API kmm_status kmm_pipeline_set_adaptive_equalisation(kmm_pipeline* pipeline, int on,
                                                          uint32_t tiles_x, uint32_t tiles_y,
                                                          uint32_t clip_factor);

/* ---- 8-bit stages ---------------------------------------------------------------------- */

/* Look-up table stage: grey g becomes table[g]; the table is zero until loaded. */
KMM_API kmm_status kmm_pipeline_set_lut(kmm_pipeline* pipeline, int on);
KMM_API kmm_status kmm_pipeline_load_lut(kmm_pipeline* pipeline, const uint8_t table[256]);

/* Sharpening by an unsharp mask of this amount (0..16; default 1). */
KMM_API kmm_status kmm_pipeline_set_sharpen(kmm_pipeline* pipeline, int on, float amount);

/* Brightness (0..255) and contrast gain (0..1024, 128 = 1); 128 and 128 change nothing. */
KMM_API kmm_status kmm_pipeline_set_contrast(kmm_pipeline* pipeline, int on, uint32_t brightness,
                                             uint32_t contrast);

/* Interpolation of the zoom given at creation: 0 nearest, 1 bilinear (default). */
KMM_API kmm_status kmm_pipeline_set_zoom_mode(kmm_pipeline* pipeline, uint32_t mode);

/* ---- Colour ---------------------------------------------------------------------------- */

/* The colour stage: palette 0..11 (0 grey with a red top, 1 cubehelix, 2 rainbow, 3 iron,
 * 4 cool-warm, 5 inverted grey, 6 grey; 7..11 are empty and draw black), the pixel format,
 * and the kind: 0 the palette alone, 1 temperature-aware marks (kmm_pipeline_set_marks).
 * Off, a run writes one grey byte a pixel. */
KMM_API kmm_status kmm_pipeline_set_colour(kmm_pipeline* pipeline, int on, uint32_t palette,
                                           kmm_colour_format format, int kind);

/* Marks of palette kind 1, thresholds in frame units: mode 0 marks what is hotter than high
 * (in colour), 1 what is colder than low (in low_colour's green), 2 both, 3 what lies between
 * low and high (in colour, shaded by grey). Colours are packed 0xRRGGBB, 0 or 0xFFFFFFFF
 * meaning the palette's top entry; the defaults are mode 0, 5000, 2000, 0 and 0x0000FF.
 * Modes above 3: KMM_ERROR_BAD_VALUE. */
KMM_API kmm_status kmm_pipeline_set_marks(kmm_pipeline* pipeline, uint32_t mode, int16_t high,
                                          int16_t low, uint32_t colour, uint32_t low_colour);

/* Colours any 8-bit grey image (of imageMapping_dll, Y16Mapping_dll, ...) as the colour stage
 * does with palette kind 0: width x height bytes of grey into out, which holds capacity bytes;
 * *written (may be null) receives the bytes written. Palette 0..11, format as above.
 * KMM_ERROR_BUFFER_TOO_SMALL when the image would not fit. */
KMM_API kmm_status kmm_colour_image(const uint8_t* grey, int32_t width, int32_t height,
                                    uint32_t palette, kmm_colour_format format, uint8_t* out,
                                    size_t capacity, size_t* written);

/* ---- Running --------------------------------------------------------------------------- */

/* The image the next run writes with the current settings. */
KMM_API kmm_status kmm_pipeline_output(const kmm_pipeline* pipeline, kmm_pipeline_image* image);

/* Runs one frame of width x height values through the switched-on stages into out, which holds
 * capacity bytes; image (may be null) receives what was written. KMM_ERROR_BUFFER_TOO_SMALL
 * when the image would not fit; KMM_ERROR_OUT_OF_MEMORY when the run's work memory cannot
 * be had. */
KMM_API kmm_status kmm_pipeline_run(kmm_pipeline* pipeline, const int16_t* frame, uint8_t* out,
                                    size_t capacity, kmm_pipeline_image* image);

#ifdef __cplusplus
}
#endif

#endif /* KMODULEMEASURE_PIPELINE_H */
