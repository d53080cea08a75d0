// Host callback tables reached through PF_InData. Members the effect never calls are
// opaque pointers of the same size: only their positions matter.
#pragma once

#include "api/ae_records.h"

#include <cstddef>

using PF_LayerAudio = struct _PF_LayerAudio *;

struct PF_InteractCallbacks {
    PF_Err (*checkout_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time, A_long time_step,
                             A_u_long time_scale, PF_ParamDef *param);
    PF_Err (*checkin_param)(PF_ProgPtr effect_ref, PF_ParamDef *param);
    PF_Err (*add_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDef *def);
    PF_Err (*abort)(PF_ProgPtr effect_ref);
    PF_Err (*progress)(PF_ProgPtr effect_ref, A_long current, A_long total);
    void *register_ui;
    void *checkout_layer_audio;
    void *checkin_layer_audio;
    void *get_audio_data;
    void *reserved_str[3];
    void *reserved[10];
};

static_assert(sizeof(PF_InteractCallbacks) == 176 && alignof(PF_InteractCallbacks) == 8);
static_assert(offsetof(PF_InteractCallbacks, checkin_param) == 8 && offsetof(PF_InteractCallbacks, add_param) == 16 &&
              offsetof(PF_InteractCallbacks, abort) == 24 && offsetof(PF_InteractCallbacks, progress) == 32 &&
              offsetof(PF_InteractCallbacks, get_audio_data) == 64 &&
              offsetof(PF_InteractCallbacks, reserved_str) == 72 && offsetof(PF_InteractCallbacks, reserved) == 96);

struct PF_ANSICallbacks {
    void *atan, *atan2, *ceil, *cos, *exp, *fabs, *floor, *fmod, *hypot, *log, *log10, *pow, *sin, *sqrt, *tan;
    int (*sprintf)(A_char *dst, const A_char *format, ...);
    A_char *(*strcpy)(A_char *dst, const A_char *src);
    void *asin, *acos;
    A_long ansi_procs[1];
};

static_assert(sizeof(PF_ANSICallbacks) == 160);
static_assert(offsetof(PF_ANSICallbacks, sprintf) == 120 && offsetof(PF_ANSICallbacks, strcpy) == 128 &&
              offsetof(PF_ANSICallbacks, ansi_procs) == 152);

struct PF_ColorCallbacks {
    void *RGBtoHLS, *HLStoRGB, *RGBtoYIQ, *YIQtoRGB, *Luminance, *Hue, *Lightness, *Saturation;
};

static_assert(sizeof(PF_ColorCallbacks) == 64);

// The function handed to iterate_generic; the host calls it on several of its threads.
using PF_IterateGenericFunc = PF_Err (*)(void *refcon, A_long thread_index, A_long i, A_long iterations);

struct PF_UtilCallbacks {
    void *begin_sampling, *subpixel_sample, *area_sample, *get_batch_func_is_deprecated, *end_sampling;
    void *composite_rect, *blend, *convolve, *copy, *fill, *gaussian_kernel, *iterate, *premultiply;
    void *premultiply_color, *new_world, *dispose_world, *iterate_origin, *iterate_lut, *transfer_rect;
    void *transform_world;
    PF_Handle (*host_new_handle)(A_u_longlong size);
    void *(*host_lock_handle)(PF_Handle handle);
    void (*host_unlock_handle)(PF_Handle handle);
    void (*host_dispose_handle)(PF_Handle handle);
    void *get_callback_addr;
    void *app;
    PF_ANSICallbacks ansi;
    PF_ColorCallbacks colorCB;
    void *get_platform_data;
    A_u_longlong (*host_get_handle_size)(PF_Handle handle);
    void *iterate_origin_non_clip_src;
    PF_Err (*iterate_generic)(A_long iterations, void *refcon, PF_IterateGenericFunc fn);
    PF_Err (*host_resize_handle)(A_u_longlong new_size, PF_Handle *handle);
    void *subpixel_sample16, *area_sample16, *fill16, *premultiply_color16, *iterate16, *iterate_origin16;
    void *iterate_origin_non_clip_src16, *get_pixel_data8, *get_pixel_data16;
    A_long reserved[1];
};

static_assert(sizeof(PF_UtilCallbacks) == 552 && alignof(PF_UtilCallbacks) == 8);
static_assert(offsetof(PF_UtilCallbacks, transform_world) == 152 && offsetof(PF_UtilCallbacks, host_new_handle) == 160 &&
              offsetof(PF_UtilCallbacks, host_lock_handle) == 168 &&
              offsetof(PF_UtilCallbacks, host_unlock_handle) == 176 &&
              offsetof(PF_UtilCallbacks, host_dispose_handle) == 184 && offsetof(PF_UtilCallbacks, ansi) == 208 &&
              offsetof(PF_UtilCallbacks, ansi.sprintf) == 328 && offsetof(PF_UtilCallbacks, ansi.strcpy) == 336 &&
              offsetof(PF_UtilCallbacks, colorCB) == 368 && offsetof(PF_UtilCallbacks, get_platform_data) == 432 &&
              offsetof(PF_UtilCallbacks, host_get_handle_size) == 440 &&
              offsetof(PF_UtilCallbacks, iterate_generic) == 456 &&
              offsetof(PF_UtilCallbacks, host_resize_handle) == 464 &&
              offsetof(PF_UtilCallbacks, get_pixel_data16) == 536 && offsetof(PF_UtilCallbacks, reserved) == 544);
