// The waveform strips, selecting with the mouse, and the zoom commands of the "View" page.

#include "app/main_form.h"

void TMainForm::ConnectViewHandlers() {}

void TMainForm::DrawWaves() {}

void TMainForm::ClearWaves() {}

void TMainForm::LPaintBoxMouseDown(Qt::MouseButton, int, int) {}
void TMainForm::RPaintBoxMouseDown(Qt::MouseButton, int, int) {}
void TMainForm::ZoomBitBtnClick() {}
void TMainForm::BitBtn1Click() {}
void TMainForm::AllButtonClick() {}
