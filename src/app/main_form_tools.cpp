// The amplitude tools: the "Volume" and "Windows" groups, and Reverse on the "Effects" page.

#include "app/main_form.h"

void TMainForm::ConnectToolHandlers() {}

void TMainForm::MuteButtonClick() {}
void TMainForm::NormalizeButtonClick() {}
void TMainForm::NormalizeUpDownClick() {}
void TMainForm::Button1Click() {}
void TMainForm::FadeInButtonClick() {}
void TMainForm::FadeOutButtonClick() {}
void TMainForm::HanningButtonClick() {}
void TMainForm::InvertButtonClick() {}
void TMainForm::ReverseButtonClick() {}
