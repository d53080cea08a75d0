// Value records of the host's effect API: geometry, pixels, worlds and parameter records.
// Natural alignment on x86-64 equals the SDK's pack(8), so no pack directive is used;
// the assertions pin every size and every offset the plug-in or the host simulator touches.
#pragma once

#include "api/ae_types.h"

#include <cstddef>

struct PF_SpecVersion {
    A_short major;
    A_short minor;
};

struct PF_RationalScale {
    A_long num;
    A_u_long den;
};

struct PF_LRect {
    A_long left, top, right, bottom;
};
using PF_Rect = PF_LRect;

struct PF_Point {
    A_long h, v;
};

struct PF_Pixel {
    A_u_char alpha, red, green, blue;
};
using PF_Pixel8 = PF_Pixel;

struct PF_Pixel16 {
    A_u_short alpha, red, green, blue;
};

struct PF_PixelFloat {
    PF_FpShort alpha, red, green, blue;
};
using PF_Pixel32 = PF_PixelFloat;
using PF_PixelPtr = PF_Pixel *;

struct PF_SoundFormatInfo {
    PF_FpLong rateF;
    A_short num_channels;
    A_short format;
    A_short sample_size;
};

struct PF_SoundWorld {
    PF_SoundFormatInfo fi;
    A_long num_samples;
    void *dataP;
};

struct PF_UserChangedParamExtra {
    PF_ParamIndex param_index;
};

struct A_Time {
    A_long value;
    A_u_long scale;
};

static_assert(sizeof(PF_SpecVersion) == 4 && offsetof(PF_SpecVersion, minor) == 2);
static_assert(sizeof(PF_RationalScale) == 8 && offsetof(PF_RationalScale, den) == 4);
static_assert(sizeof(PF_LRect) == 16 && offsetof(PF_LRect, top) == 4 && offsetof(PF_LRect, right) == 8 &&
              offsetof(PF_LRect, bottom) == 12);
static_assert(sizeof(PF_Point) == 8 && offsetof(PF_Point, v) == 4);
static_assert(sizeof(PF_Pixel) == 4 && offsetof(PF_Pixel, red) == 1 && offsetof(PF_Pixel, blue) == 3);
static_assert(sizeof(PF_Pixel16) == 8 && offsetof(PF_Pixel16, red) == 2 && offsetof(PF_Pixel16, blue) == 6);
static_assert(sizeof(PF_PixelFloat) == 16 && offsetof(PF_PixelFloat, red) == 4 && offsetof(PF_PixelFloat, blue) == 12);
static_assert(sizeof(PF_SoundFormatInfo) == 16 && offsetof(PF_SoundFormatInfo, sample_size) == 12);
static_assert(sizeof(PF_SoundWorld) == 32 && offsetof(PF_SoundWorld, dataP) == 24);
static_assert(sizeof(PF_UserChangedParamExtra) == 4 && sizeof(A_Time) == 8);

// A world (image) handed over by the host; PF_EffectWorld is the same record.
struct PF_LayerDef {
    void *reserved0;
    void *reserved1;
    PF_WorldFlags world_flags;
    PF_PixelPtr data;
    A_long rowbytes;
    A_long width;
    A_long height;
    PF_LRect extent_hint;
    void *platform_ref;
    A_long reserved_long1;
    void *reserved_long4;
    PF_RationalScale pix_aspect_ratio;
    void *reserved_long2;
    A_long origin_x;
    A_long origin_y;
    A_long reserved_long3;
    A_long dephault;
};
using PF_EffectWorld = PF_LayerDef;

static_assert(sizeof(PF_LayerDef) == 120 && alignof(PF_LayerDef) == 8);
static_assert(offsetof(PF_LayerDef, world_flags) == 16 && offsetof(PF_LayerDef, data) == 24 &&
              offsetof(PF_LayerDef, rowbytes) == 32 && offsetof(PF_LayerDef, width) == 36 &&
              offsetof(PF_LayerDef, height) == 40 && offsetof(PF_LayerDef, extent_hint) == 44 &&
              offsetof(PF_LayerDef, platform_ref) == 64 && offsetof(PF_LayerDef, reserved_long4) == 80 &&
              offsetof(PF_LayerDef, pix_aspect_ratio) == 88 && offsetof(PF_LayerDef, reserved_long2) == 96 &&
              offsetof(PF_LayerDef, origin_x) == 104 && offsetof(PF_LayerDef, origin_y) == 108 &&
              offsetof(PF_LayerDef, dephault) == 116);

struct PF_SliderDef {
    PF_ParamValue value;
    A_char value_str[32];
    A_char value_desc[32];
    PF_ParamValue valid_min, valid_max, slider_min, slider_max, dephault;
};

struct PF_FixedSliderDef {
    PF_Fixed value;
    A_char value_str[32];
    A_char value_desc[32];
    PF_Fixed valid_min, valid_max, slider_min, slider_max, dephault;
    A_short precision;
    PF_ValueDisplayFlags display_flags;
};

struct PF_FloatSliderDef {
    PF_FpLong value;
    PF_FpLong phase;
    A_char value_desc[32];
    PF_FpShort valid_min, valid_max, slider_min, slider_max, dephault;
    A_short precision;
    PF_ValueDisplayFlags display_flags;
    PF_FSliderFlags fs_flags;
    PF_FpShort curve_tolerance;
    PF_Boolean useExponent;
    PF_FpShort exponent;
};

struct PF_AngleDef {
    PF_Fixed value, dephault, valid_min, valid_max;
};

struct PF_CheckBoxDef {
    PF_ParamValue value;
    PF_Boolean dephault;
    A_char reserved;
    A_short reserved1;
    union {
        const A_char *nameptr;
    } u;
};

struct PF_ColorDef {
    PF_Pixel value;
    PF_Pixel dephault;
};

struct PF_PointDef {
    PF_Fixed x_value;
    PF_Fixed y_value;
    A_char reserved[3];
    PF_Boolean restrict_bounds;
    PF_Fixed x_dephault;
    PF_Fixed y_dephault;
};

struct PF_PopupDef {
    PF_ParamValue value;
    A_short num_choices;
    A_short dephault;
    union {
        const A_char *namesptr;
    } u;
};

struct PF_ArbitraryDef {
    A_short id;
    A_short pad;
    PF_Handle dephault;
    PF_Handle value;
    void *refconPV;
};

struct PF_PathDef {
    A_u_long path_id;
    A_long reserved0;
    A_long dephault;
};

struct PF_ButtonDef {
    PF_ParamValue value;
    union {
        const A_char *namesptr;
    } u;
};

struct PF_Point3DDef {
    PF_FpLong x_value, y_value, z_value;
    PF_FpLong x_dephault, y_dephault, z_dephault;
    char reserved[16];
};

union PF_ParamDefUnion {
    PF_LayerDef ld;
    PF_SliderDef sd;
    PF_FixedSliderDef fd;
    PF_AngleDef ad;
    PF_CheckBoxDef bd;
    PF_ColorDef cd;
    PF_PointDef td;
    PF_PopupDef pd;
    PF_FloatSliderDef fs_d;
    PF_ArbitraryDef arb_d;
    PF_PathDef path_d;
    PF_ButtonDef button_d;
    PF_Point3DDef point3d_d;
};

struct PF_ParamDef {
    union {
        A_long id;
        PF_ChangeFlags change_flags;
    } uu;
    PF_ParamUIFlags ui_flags;
    A_short ui_width;
    A_short ui_height;
    PF_ParamType param_type;
    A_char name[32];
    PF_ParamFlags flags;
    A_long unused;
    PF_ParamDefUnion u;
};
using PF_ParamList = PF_ParamDef **;

static_assert(sizeof(PF_SliderDef) == 88 && offsetof(PF_SliderDef, valid_min) == 68 &&
              offsetof(PF_SliderDef, dephault) == 84);
static_assert(sizeof(PF_FixedSliderDef) == 92 && offsetof(PF_FixedSliderDef, precision) == 88);
static_assert(sizeof(PF_FloatSliderDef) == 88 && alignof(PF_FloatSliderDef) == 8);
static_assert(offsetof(PF_FloatSliderDef, phase) == 8 && offsetof(PF_FloatSliderDef, value_desc) == 16 &&
              offsetof(PF_FloatSliderDef, valid_min) == 48 && offsetof(PF_FloatSliderDef, valid_max) == 52 &&
              offsetof(PF_FloatSliderDef, slider_min) == 56 && offsetof(PF_FloatSliderDef, slider_max) == 60 &&
              offsetof(PF_FloatSliderDef, dephault) == 64 && offsetof(PF_FloatSliderDef, precision) == 68 &&
              offsetof(PF_FloatSliderDef, display_flags) == 70 && offsetof(PF_FloatSliderDef, fs_flags) == 72 &&
              offsetof(PF_FloatSliderDef, curve_tolerance) == 76 && offsetof(PF_FloatSliderDef, useExponent) == 80 &&
              offsetof(PF_FloatSliderDef, exponent) == 84);
static_assert(sizeof(PF_AngleDef) == 16 && offsetof(PF_AngleDef, valid_max) == 12);
static_assert(sizeof(PF_CheckBoxDef) == 16 && offsetof(PF_CheckBoxDef, dephault) == 4 &&
              offsetof(PF_CheckBoxDef, reserved1) == 6 && offsetof(PF_CheckBoxDef, u) == 8);
static_assert(sizeof(PF_ColorDef) == 8 && offsetof(PF_ColorDef, dephault) == 4);
static_assert(sizeof(PF_PointDef) == 20 && offsetof(PF_PointDef, restrict_bounds) == 11 &&
              offsetof(PF_PointDef, x_dephault) == 12 && offsetof(PF_PointDef, y_dephault) == 16);
static_assert(sizeof(PF_PopupDef) == 16 && offsetof(PF_PopupDef, num_choices) == 4 &&
              offsetof(PF_PopupDef, dephault) == 6 && offsetof(PF_PopupDef, u) == 8);
static_assert(sizeof(PF_ArbitraryDef) == 32 && sizeof(PF_PathDef) == 12 && sizeof(PF_ButtonDef) == 16 &&
              sizeof(PF_Point3DDef) == 64);
static_assert(sizeof(PF_ParamDefUnion) == 120 && alignof(PF_ParamDefUnion) == 8);
static_assert(sizeof(PF_ParamDef) == 176 && alignof(PF_ParamDef) == 8);
static_assert(offsetof(PF_ParamDef, ui_flags) == 4 && offsetof(PF_ParamDef, ui_width) == 8 &&
              offsetof(PF_ParamDef, param_type) == 12 && offsetof(PF_ParamDef, name) == 16 &&
              offsetof(PF_ParamDef, flags) == 48 && offsetof(PF_ParamDef, u) == 56);
static_assert(offsetof(PF_ParamDef, u.fs_d.value) == 56 && offsetof(PF_ParamDef, u.fs_d.dephault) == 120 &&
              offsetof(PF_ParamDef, u.bd.value) == 56 && offsetof(PF_ParamDef, u.bd.u) == 64 &&
              offsetof(PF_ParamDef, u.cd.dephault) == 60 && offsetof(PF_ParamDef, u.pd.u) == 64 &&
              offsetof(PF_ParamDef, u.ld.data) == 80 && offsetof(PF_ParamDef, u.ld.dephault) == 172);
