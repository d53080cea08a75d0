// Smart pre-render and smart render records. The three input and callback records grew in
// later API levels (members appended): the effect only reads them, never copies them whole.
#pragma once

#include "api/ae_records.h"

#include <cstddef>

struct PF_RenderRequest {
    PF_LRect rect;
    PF_Field field;
    PF_ChannelMask channel_mask;
    PF_Boolean preserve_rgb_of_zero_alpha;
    char unused[3];
    A_long reserved[4];
};

struct PF_PreRenderInput {
    PF_RenderRequest output_request;
    A_short bitdepth;
    const void *gpu_data;
    A_long what_gpu;
    A_u_long device_index;
};

struct PF_PreRenderOutput {
    PF_LRect result_rect;
    PF_LRect max_result_rect;
    PF_Boolean solid;
    PF_Boolean reserved;
    PF_RenderOutputFlags flags;
    void *pre_render_data;
    void (*delete_pre_render_data_func)(void *pre_render_data);
};

struct PF_CheckoutResult {
    PF_LRect result_rect;
    PF_LRect max_result_rect;
    PF_RationalScale par;
    PF_Boolean solid;
    PF_Boolean reservedB[3];
    A_long ref_width;
    A_long ref_height;
    A_long reserved[6];
};

struct PF_PreRenderCallbacks {
    PF_Err (*checkout_layer)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long checkout_id,
                             const PF_RenderRequest *req, A_long what_time, A_long time_step, A_u_long time_scale,
                             PF_CheckoutResult *result);
    PF_Err (*GuidMixInPtr)(PF_ProgPtr effect_ref, A_u_long buf_size, const void *buf);
};

struct PF_PreRenderExtra {
    PF_PreRenderInput *input;
    PF_PreRenderOutput *output;
    PF_PreRenderCallbacks *cb;
};

struct PF_SmartRenderInput {
    PF_RenderRequest output_request;
    A_short bitdepth;
    void *pre_render_data;
    const void *gpu_data;
    A_long what_gpu;
    A_u_long device_index;
};

struct PF_SmartRenderCallbacks {
    PF_Err (*checkout_layer_pixels)(PF_ProgPtr effect_ref, A_long checkout_id, PF_EffectWorld **pixels);
    PF_Err (*checkin_layer_pixels)(PF_ProgPtr effect_ref, A_long checkout_id);
    PF_Err (*checkout_output)(PF_ProgPtr effect_ref, PF_EffectWorld **output);
};

struct PF_SmartRenderExtra {
    PF_SmartRenderInput *input;
    PF_SmartRenderCallbacks *cb;
};

static_assert(sizeof(PF_RenderRequest) == 44 && offsetof(PF_RenderRequest, field) == 16 &&
              offsetof(PF_RenderRequest, channel_mask) == 20 &&
              offsetof(PF_RenderRequest, preserve_rgb_of_zero_alpha) == 24 && offsetof(PF_RenderRequest, reserved) == 28);
static_assert(sizeof(PF_PreRenderInput) == 64 && offsetof(PF_PreRenderInput, bitdepth) == 44 &&
              offsetof(PF_PreRenderInput, gpu_data) == 48 && offsetof(PF_PreRenderInput, device_index) == 60);
static_assert(sizeof(PF_PreRenderOutput) == 56 && offsetof(PF_PreRenderOutput, max_result_rect) == 16 &&
              offsetof(PF_PreRenderOutput, solid) == 32 && offsetof(PF_PreRenderOutput, flags) == 34 &&
              offsetof(PF_PreRenderOutput, pre_render_data) == 40 &&
              offsetof(PF_PreRenderOutput, delete_pre_render_data_func) == 48);
static_assert(sizeof(PF_CheckoutResult) == 76 && offsetof(PF_CheckoutResult, max_result_rect) == 16 &&
              offsetof(PF_CheckoutResult, par) == 32 && offsetof(PF_CheckoutResult, solid) == 40 &&
              offsetof(PF_CheckoutResult, ref_width) == 44 && offsetof(PF_CheckoutResult, reserved) == 52);
static_assert(sizeof(PF_PreRenderCallbacks) == 16 && sizeof(PF_PreRenderExtra) == 24 &&
              offsetof(PF_PreRenderExtra, cb) == 16);
static_assert(sizeof(PF_SmartRenderInput) == 72 && offsetof(PF_SmartRenderInput, bitdepth) == 44 &&
              offsetof(PF_SmartRenderInput, pre_render_data) == 48 && offsetof(PF_SmartRenderInput, gpu_data) == 56 &&
              offsetof(PF_SmartRenderInput, device_index) == 68);
static_assert(sizeof(PF_SmartRenderCallbacks) == 24 && offsetof(PF_SmartRenderCallbacks, checkout_output) == 16);
static_assert(sizeof(PF_SmartRenderExtra) == 16 && offsetof(PF_SmartRenderExtra, cb) == 8);
