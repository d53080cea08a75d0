/* Zephyrine's C interface: normal maps rendered through the Zephyrine plug-in module, as a
 * host renders them, from any language that calls C.
 *
 * Only C types cross it and nothing is thrown across it: every call that can fail returns a
 * status, and zephyrine_last_error() gives the message of the calling thread's last failure.
 * A renderer may be used by several threads at once; each render takes an effect instance of
 * its own. Structures that may grow start with their own size, set by the caller to
 * sizeof(the structure) as its header declares it. */
#ifndef ZEPHYRINE_ZEPHYRINE_H
#define ZEPHYRINE_ZEPHYRINE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The interface this header declares. zephyrine_api_version() gives the library's: a library
 * serves every header of its own version or lower. */
#define ZEPHYRINE_API_VERSION 1

#if defined(__GNUC__)
#define ZEPHYRINE_EXPORT __attribute__((visibility("default")))
#else
#define ZEPHYRINE_EXPORT
#endif

typedef enum zephyrine_status {
    ZEPHYRINE_OK = 0,
    ZEPHYRINE_INVALID_ARGUMENT = 1, /* a null pointer, a size, a channel count, a tilt out of range */
    ZEPHYRINE_NO_PLUGIN = 2,        /* the plug-in module was not found or does not load */
    ZEPHYRINE_RENDER_FAILED = 3,    /* the effect refused a command; the message names its error */
    ZEPHYRINE_OUT_OF_MEMORY = 4,
    ZEPHYRINE_FORKED = 5,           /* this process was forked after the renderer was used */
    ZEPHYRINE_FAILED = 6            /* anything else; the message says what */
} zephyrine_status;

typedef enum zephyrine_channel_type {
    ZEPHYRINE_U8 = 1,  /* 0..255 */
    ZEPHYRINE_U16 = 2, /* 0..65535 */
    ZEPHYRINE_F32 = 3  /* 0.0..1.0 */
} zephyrine_channel_type;

/* Pixels as the caller holds them: `height` rows of `width` pixels, each `channels` (3: RGB,
 * 4: RGBA) interleaved values of `type`, rows `row_bytes` apart (at least width * channels *
 * the type's size). Alpha passes through as stored. */
typedef struct zephyrine_image {
    void *pixels;
    int32_t width;
    int32_t height;
    int64_t row_bytes;
    int32_t channels;
    int32_t type; /* a zephyrine_channel_type */
} zephyrine_image;

/* The effect's controls, as the plug-in's sliders and checkboxes set them: tilts from -1 to 1,
 * flags zero or not. zephyrine_default_controls() fills one with the plug-in's defaults. */
typedef struct zephyrine_controls {
    uint32_t size; /* sizeof(zephyrine_controls) */
    double tilt_forward;
    double tilt_sideways;
    double tilt_upwards;
    int32_t invert_x;
    int32_t invert_y;
    int32_t invert_z;
    int32_t invert_all;
    int32_t traditional_format;
} zephyrine_controls;

/* How far an image's vectors are from unit length, as zephyrine-render --check reports it. */
typedef struct zephyrine_length_check {
    uint32_t size; /* sizeof(zephyrine_length_check), set by the caller */
    double minimum;
    double mean;
    double maximum;
    double off_share; /* the share of pixels further from unit length than the effect's own output can be */
    uint64_t pixels;
} zephyrine_length_check;

typedef struct zephyrine_renderer zephyrine_renderer;

/* "1.0.0", and ZEPHYRINE_API_VERSION of the library's own header. */
ZEPHYRINE_EXPORT const char *zephyrine_version(void);
ZEPHYRINE_EXPORT int32_t zephyrine_api_version(void);

/* The message of the calling thread's last failed call, or "" when none failed. Valid until
 * the thread's next call. */
ZEPHYRINE_EXPORT const char *zephyrine_last_error(void);

/* Loads the plug-in module at `plugin_path`, or, when it is null, the one the environment
 * variable ZEPHYRINE_PLUGIN names, else zephyrine.so in this library's own folder. Null on
 * failure. */
ZEPHYRINE_EXPORT zephyrine_renderer *zephyrine_open(const char *plugin_path);
/* After every render on it has returned. Null is allowed. */
ZEPHYRINE_EXPORT void zephyrine_close(zephyrine_renderer *renderer);

/* The plug-in module the renderer loaded, and the effect's about text (lines end with "\n");
 * both owned by the renderer. Null on failure. */
ZEPHYRINE_EXPORT const char *zephyrine_plugin_path(zephyrine_renderer *renderer);
ZEPHYRINE_EXPORT const char *zephyrine_about(zephyrine_renderer *renderer);

ZEPHYRINE_EXPORT void zephyrine_default_controls(zephyrine_controls *controls);

/* Renders `source` into `destination`, which has the same width, height, channels and type
 * (its row_bytes may differ). The two may be the same image: a render in place. Null controls
 * are the defaults. */
ZEPHYRINE_EXPORT zephyrine_status zephyrine_render(zephyrine_renderer *renderer, const zephyrine_image *source,
                                                   const zephyrine_image *destination,
                                                   const zephyrine_controls *controls);

/* Measures `image` as the effect would decode it (traditional_format: zero or not). Needs no
 * renderer. */
ZEPHYRINE_EXPORT zephyrine_status zephyrine_check(const zephyrine_image *image, int32_t traditional_format,
                                                  zephyrine_length_check *result);

/* Frees the frame buffers the renderer's idle instances keep for their next frame. */
ZEPHYRINE_EXPORT zephyrine_status zephyrine_release_buffers(zephyrine_renderer *renderer);

#ifdef __cplusplus
}
#endif

#endif
