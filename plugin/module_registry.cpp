#include "plugin/module_registry.h"

#include <new>

#include "dsp/framework/module_base.h"
#include "dsp/modules/pitch_detect.h"
#include "dsp/modules/delay_st.h"
#include "dsp/modules/fixed_value_to_int_float.h"
#include "dsp/modules/fixed_value_to_volt.h"
#include "dsp/modules/float_to_volt.h"
#include "dsp/modules/gui_to_v_glide.h"
#include "dsp/modules/host_audio_in.h"
#include "dsp/modules/metering.h"
#include "dsp/modules/midi_to_poly.h"
#include "dsp/modules/os_command.h"
#include "dsp/modules/peak_hold.h"
#include "dsp/modules/poly_to_mono.h"
#include "dsp/modules/st_level.h"
#include "dsp/modules/sumdiff_decode.h"
#include "dsp/modules/sumdiff_encode.h"
#include "eq/biquad_coeff.h"
#include "eq/biquad_engine.h"
#include "eq/biquad_multi_engine.h"
#include "eq/biquad_static.h"
#include "eq/orvaneq_control.h"
#include "eq/orvaneq_response.h"

namespace {

using Factory = QB_ModuleBase* (*)(QB_GraphHost*, bool);

template <class Module>
QB_ModuleBase* make(QB_GraphHost* owner, bool createDisabled) {
    return new (std::nothrow) Module(owner, createDisabled);
}

struct CodeRange {
    int32_t first;
    int32_t last;
    Factory create;
};

// Code ranges and their classes. A code outside every range creates nothing.
const CodeRange kCodeRanges[] = {
    {0, -1, nullptr},  // placeholder so the table is never empty
    {6003, 6003, make<QB_DSP_Host_AudioIn>},
    {6004, 6006, make<QB_DSP_FixedValueToVolt>},
    {6008, 6010, make<QB_DSP_FixedValueToINT_FLOAT>},
    {6015, 6020, make<QB_DSP_GUItoV_Glide>},
    {6022, 6032, make<QB_DSP_Float_to_Volt>},
    {6135, 6137, make<QB_DSP_ST_Level>},
    {6193, 6194, make<QB_DSP_Peak_Hold>},
    {6196, 6197, make<QB_DSP_Metering>},
    {6206, 6207, make<QB_DSP_Delay_ST>},
    {6283, 6290, make<QB_DSP_BiQuad_Static>},
    {6292, 6297, make<QB_DSP_BiQuad_Coeff>},
    {6299, 6301, make<QB_DSP_BiQuad_Engine>},
    {6306, 6308, make<QB_DSP_BiQuad_Multi_Engine>},
    {6316, 6317, make<QB_DSP_SumDiff_Encode>},
    {6319, 6320, make<QB_DSP_SumDiff_Decode>},
    {6354, 6359, make<QB_DSP_Pitch_Detect>},
    {6361, 6361, make<QB_DSP_OS_Command>},
    {6362, 6362, make<QB_DSP_OrvanEq_Control>},
    {6363, 6363, make<QB_DSP_OrvanEq_Response>},
    {6378, 6380, make<QB_DSP_Poly_to_Mono>},
    {6382, 6384, make<QB_DSP_Midi_to_Poly>},
};

}  // namespace

QB_ModuleBase* qbCreateModule(int32_t code, QB_GraphHost* owner, bool createDisabled) {
    for (const CodeRange& r : kCodeRanges) {
        if (code >= r.first && code <= r.last && r.create != nullptr) return r.create(owner, createDisabled);
    }
    return nullptr;
}
