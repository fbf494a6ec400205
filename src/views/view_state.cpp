#include "views/view_state.h"

#include "wave/wave_document.h"

void ShowWholeWave(ViewState& state, const TWave& wave) {
  state.ViewStart = 0;
  state.ViewEnd = static_cast<int32_t>(wave.SampleCount()) - 1;
}

void SelectAll(ViewState& state, const TWave& wave) {
  state.Sel.Left = true;
  state.Sel.Right = true;
  state.Sel.SelStart = 0;
  state.Sel.SelEnd = static_cast<int32_t>(wave.SampleCount()) - 1;
  ApplyChannelRules(state, wave);
}

void ApplyChannelRules(ViewState& state, const TWave& wave) {
  if (wave.Channels() == 1) {
    state.Sel.Left = true;
    state.Sel.Right = false;
    state.LeftEnabled = false;
    state.RightEnabled = false;
  } else if (wave.Channels() == 2) {
    state.LeftEnabled = true;
    state.RightEnabled = true;
  }
}
