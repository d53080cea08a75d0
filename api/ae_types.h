// Scalar types, codes and flags of the host's effect API.
// Declared from the published binary layout: fixed-width types only, never `long`
// (four bytes on Windows, eight on Linux), so every record has one layout on both.
#pragma once

#include <cstddef>
#include <cstdint>

using A_long = int32_t;
using A_u_long = uint32_t;
using A_short = int16_t;
using A_u_short = uint16_t;
using A_char = char;
using A_u_char = uint8_t;
using A_FpLong = double;
using A_FpShort = float;
using A_u_longlong = uint64_t;

using PF_Err = int32_t;
using PF_Cmd = int32_t;
using PF_ParamIndex = int32_t;
using PF_ParamValue = int32_t;
using PF_ParamType = int32_t;
using PF_ParamFlags = int32_t;
using PF_ParamUIFlags = int32_t;
using PF_ChangeFlags = int32_t;
using PF_OutFlags = int32_t;
using PF_OutFlags2 = int32_t;
using PF_InFlags = int32_t;
using PF_WorldFlags = int32_t;
using PF_Quality = int32_t;
using PF_Field = int32_t;
using PF_ChannelMask = int32_t;
using PF_ModeFlags = int32_t;
using PF_UFixed = uint32_t;
using PF_FSliderFlags = uint32_t;
using PF_Fixed = int32_t;
using PF_Boolean = char;
using PF_ValueDisplayFlags = int16_t;
using PF_RenderOutputFlags = int16_t;
using PF_FpLong = double;
using PF_FpShort = float;
using PF_Handle = void **;
using SPErr = int32_t;
// Four bytes on every platform: the Windows width, which is the one hosts use.
using SPBoolean = int32_t;

struct _PF_ProgressInfo;
using PF_ProgPtr = _PF_ProgressInfo *;

static_assert(sizeof(PF_Boolean) == 1 && sizeof(PF_Handle) == 8 && sizeof(PF_ProgPtr) == 8);
static_assert(sizeof(SPBoolean) == 4);

// Error codes.
inline constexpr PF_Err PF_Err_NONE = 0;
inline constexpr PF_Err PF_Err_OUT_OF_MEMORY = 4;
inline constexpr PF_Err PF_Err_INTERNAL_STRUCT_DAMAGED = 512;
inline constexpr PF_Err PF_Err_INVALID_INDEX = 513;
inline constexpr PF_Err PF_Err_UNRECOGNIZED_PARAM_TYPE = 514;
inline constexpr PF_Err PF_Err_INVALID_CALLBACK = 515;
inline constexpr PF_Err PF_Err_BAD_CALLBACK_PARAM = 516;
inline constexpr PF_Err PF_Interrupt_CANCEL = 517;
inline constexpr PF_Err PF_Err_CANNOT_PARSE_KEYFRAME_TEXT = 518;

// Command codes, consecutive from 0.
enum : PF_Cmd {
    PF_Cmd_ABOUT = 0,
    PF_Cmd_GLOBAL_SETUP,
    PF_Cmd_UNUSED_0,
    PF_Cmd_GLOBAL_SETDOWN,
    PF_Cmd_PARAMS_SETUP,
    PF_Cmd_SEQUENCE_SETUP,
    PF_Cmd_SEQUENCE_RESETUP,
    PF_Cmd_SEQUENCE_FLATTEN,
    PF_Cmd_SEQUENCE_SETDOWN,
    PF_Cmd_DO_DIALOG,
    PF_Cmd_FRAME_SETUP,
    PF_Cmd_RENDER,
    PF_Cmd_FRAME_SETDOWN,
    PF_Cmd_USER_CHANGED_PARAM,
    PF_Cmd_UPDATE_PARAMS_UI,
    PF_Cmd_EVENT,
    PF_Cmd_GET_EXTERNAL_DEPENDENCIES,
    PF_Cmd_COMPLETELY_GENERAL,
    PF_Cmd_QUERY_DYNAMIC_FLAGS,
    PF_Cmd_AUDIO_RENDER,
    PF_Cmd_AUDIO_SETUP,
    PF_Cmd_AUDIO_SETDOWN,
    PF_Cmd_ARBITRARY_CALLBACK,
    PF_Cmd_SMART_PRE_RENDER,
    PF_Cmd_SMART_RENDER,
    PF_Cmd_RESERVED1,
    PF_Cmd_RESERVED2,
    PF_Cmd_RESERVED3,
    PF_Cmd_GET_FLATTENED_SEQUENCE_DATA,
    PF_Cmd_TRANSLATE_PARAMS_TO_PREFS,
    PF_Cmd_RESERVED4,
    PF_Cmd_SMART_RENDER_GPU,
    PF_Cmd_GPU_DEVICE_SETUP,
    PF_Cmd_GPU_DEVICE_SETDOWN,
    PF_Cmd_NUM_CMDS
};
static_assert(PF_Cmd_SMART_RENDER == 24 && PF_Cmd_NUM_CMDS == 34);

// Parameter kinds.
enum : PF_ParamType {
    PF_Param_RESERVED = -1,
    PF_Param_LAYER = 0,
    PF_Param_SLIDER,
    PF_Param_FIX_SLIDER,
    PF_Param_ANGLE,
    PF_Param_CHECKBOX,
    PF_Param_COLOR,
    PF_Param_POINT,
    PF_Param_POPUP,
    PF_Param_CUSTOM,
    PF_Param_NO_DATA,
    PF_Param_FLOAT_SLIDER,
    PF_Param_ARBITRARY_DATA,
    PF_Param_PATH,
    PF_Param_GROUP_START,
    PF_Param_GROUP_END,
    PF_Param_BUTTON,
    PF_Param_RESERVED2,
    PF_Param_RESERVED3,
    PF_Param_POINT_3D
};
static_assert(PF_Param_FLOAT_SLIDER == 10 && PF_Param_POINT_3D == 18);

inline constexpr PF_ParamFlags PF_ParamFlag_CANNOT_TIME_VARY = 0x2;
inline constexpr PF_ParamFlags PF_ParamFlag_CANNOT_INTERP = 0x4;
inline constexpr PF_ParamFlags PF_ParamFlag_COLLAPSE_TWIRLY = 0x20;
inline constexpr PF_ParamFlags PF_ParamFlag_SUPERVISE = 0x40;

inline constexpr PF_ParamUIFlags PF_PUI_NONE = 0;
inline constexpr PF_ParamUIFlags PF_PUI_DISABLED = 0x20;

inline constexpr PF_ChangeFlags PF_ChangeFlag_NONE = 0;
inline constexpr PF_ChangeFlags PF_ChangeFlag_CHANGED_VALUE = 0x1;

inline constexpr PF_ValueDisplayFlags PF_ValueDisplayFlag_NONE = 0;
inline constexpr PF_ValueDisplayFlags PF_ValueDisplayFlag_PERCENT = 0x1;
inline constexpr PF_ValueDisplayFlags PF_ValueDisplayFlag_PIXEL = 0x2;

inline constexpr A_long PF_LayerDefault_MYSELF = -1;
inline constexpr A_long PF_LayerDefault_NONE = 0;

inline constexpr PF_WorldFlags PF_WorldFlag_DEEP = 0x1;
inline constexpr PF_WorldFlags PF_WorldFlag_WRITEABLE = 0x2;

inline constexpr PF_ChannelMask PF_ChannelMask_ALPHA = 0x1;
inline constexpr PF_ChannelMask PF_ChannelMask_RED = 0x2;
inline constexpr PF_ChannelMask PF_ChannelMask_GREEN = 0x4;
inline constexpr PF_ChannelMask PF_ChannelMask_BLUE = 0x8;
inline constexpr PF_ChannelMask PF_ChannelMask_ARGB = 0xF;

inline constexpr PF_Field PF_Field_FRAME = 0;
inline constexpr PF_Field PF_Field_UPPER = 1;
inline constexpr PF_Field PF_Field_LOWER = 2;

inline constexpr PF_RenderOutputFlags PF_RenderOutputFlag_RETURNS_EXTRA_PIXELS = 0x1;
inline constexpr PF_RenderOutputFlags PF_RenderOutputFlag_GPU_RENDER_POSSIBLE = 0x2;

inline constexpr A_long PF_Iterations_ONCE_PER_PROCESSOR = -1;

inline constexpr PF_OutFlags PF_OutFlag_DEEP_COLOR_AWARE = 1 << 25;
inline constexpr PF_OutFlags PF_OutFlag_SEND_UPDATE_PARAMS_UI = 1 << 26;
inline constexpr PF_OutFlags2 PF_OutFlag2_REVEALS_ZERO_ALPHA = 1 << 7;
inline constexpr PF_OutFlags2 PF_OutFlag2_SUPPORTS_SMART_RENDER = 1 << 10;
inline constexpr PF_OutFlags2 PF_OutFlag2_FLOAT_COLOR_AWARE = 1 << 12;
inline constexpr PF_OutFlags2 PF_OutFlag2_SUPPORTS_THREADED_RENDERING = 1 << 27;

// Text fields: 31 characters and a terminator; messages 255 and a terminator.
inline constexpr std::size_t PF_MAX_EFFECT_PARAM_NAME_LEN = 31;
inline constexpr std::size_t PF_MAX_EFFECT_MSG_LEN = 255;

// Host application codes (four characters, first in the most significant byte).
inline constexpr A_long PF_APPL_ID_PREMIERE = 0x50724D72; // 'PrMr'
inline constexpr A_long PF_APPL_ID_AFTER_EFFECTS = 0x46585443; // 'FXTC'
