// The window side of the settings record: the load and fill tables.
#include "app/ConfigWindow.h"

#include "app/Form1.h"
#include "app/SerialPortPage.h"
#include "pages/MainPage.h"

namespace kt::app {

using kt::config::ConfigRecord;

namespace {

void SetChecked(QCheckBox* box, bool checked) {
    box->setChecked(checked);
}

void ApplyParity(TForm1& f) {
    f.CommPortDriver1.SetParity(f.serialPage->ParityEven->isChecked() ? kt::serial::ptEVEN
                                                                      : kt::serial::ptNONE);
}

const std::vector<ConfigStep> kLoadSteps = {
    {"RadioGroupRate <- RateIndex, RadioGroupPort <- PortIndex",
     [](TForm1& f, ConfigRecord& c) {
         f.serialPage->RadioGroupRate->SetItemIndex(c.RateIndex());
         f.serialPage->RadioGroupPort->SetItemIndex(c.PortIndex());
     }},
    {"TrackBar5 <- WaitSmsTimeout",
     [](TForm1& f, ConfigRecord& c) { f.serialPage->TrackBar5->setValue(c.WaitSmsTimeout()); }},
    {"InboxPollInterval <- SmsPollFactor clamped (the field itself is kept for saving)",
     [](TForm1& f, ConfigRecord& c) {
         f.Engine().InboxPollInterval =
             kt::protocol::ProtocolEngine::InboxPollIntervalFromFactor(c.SmsPollFactor());
     }},
    {"BRnumber <- ModuleNumber, then ModuleNumberCopy",
     [](TForm1& f, ConfigRecord& c) {
         f.mainPage->BRnumber->setText(FromBytes(c.ModuleNumber()));
         f.mainPage->BRnumber->setText(FromBytes(c.ModuleNumberCopy()));
     }},
    {"DeleteSMS <- DeleteSms, DeleteIncoming; SMSmode <- SmsModeOn, SmsModeActive, MemoS shown",
     [](TForm1& f, ConfigRecord& c) {
         SetChecked(f.mainPage->DeleteSMS, c.DeleteSms());
         f.Engine().DeleteIncoming = f.mainPage->DeleteSMS->isChecked();
         SetChecked(f.mainPage->SMSmode, c.SmsModeOn());
         f.Engine().SmsModeActive = f.mainPage->SMSmode->isChecked();
         f.MemoS->setVisible(!f.Engine().SmsModeActive);
     }},
    {"KTM447QD1 check mark <- AlternateModule; ParityEven <- ParityEvenOn",
     [](TForm1& f, ConfigRecord& c) {
         f.KTM447QD1->setChecked(c.AlternateModule());
         SetChecked(f.serialPage->ParityEven, c.ParityEvenOn());
     }},
    {"port parity from ParityEven", [](TForm1& f, ConfigRecord&) { ApplyParity(f); }},
    {"SaveSettingAfterExitCB <- SaveOnExit",
     [](TForm1& f, ConfigRecord& c) { SetChecked(f.serialPage->SaveSettingAfterExitCB, c.SaveOnExit()); }},
    {"alternate module layout for AlternateModule (Main page: ReadRT)",
     [](TForm1& f, ConfigRecord& c) { f.mainPage->ApplyAlternateModule(c.AlternateModule()); }},
    {"SkipCRLFcb <- SkipCrLf, SkipCRLFSaved",
     [](TForm1& f, ConfigRecord& c) {
         SetChecked(f.serialPage->SkipCRLFcb, c.SkipCrLf());
         f.Engine().SkipCRLFSaved = f.serialPage->SkipCRLFcb->isChecked();
     }},
};

const std::vector<ConfigStep> kFillSteps = {
    {"RateIndex, PortIndex, WaitSmsTimeout (SmsPollFactor stays as loaded)",
     [](TForm1& f, ConfigRecord& c) {
         c.SetRateIndex(f.serialPage->RadioGroupRate->ItemIndex());
         c.SetPortIndex(f.serialPage->RadioGroupPort->ItemIndex());
         c.SetWaitSmsTimeout(f.serialPage->TrackBar5->value());
     }},
    {"ModuleNumber, ModuleNumberCopy <- BRnumber (20 characters at most)",
     [](TForm1& f, ConfigRecord& c) {
         const std::string number = ToBytes(f.mainPage->BRnumber->text());
         c.SetModuleNumber(number);
         c.SetModuleNumberCopy(number);
     }},
    {"AlternateModule <- KTM447QD1 check mark; ParityEvenOn <- ParityEven",
     [](TForm1& f, ConfigRecord& c) {
         c.SetAlternateModule(f.KTM447QD1->isChecked());
         c.SetParityEvenOn(f.serialPage->ParityEven->isChecked());
     }},
    {"port parity from ParityEven", [](TForm1& f, ConfigRecord&) { ApplyParity(f); }},
    {"DeleteSms <- DeleteSMS; SmsModeOn <- SMSmode",
     [](TForm1& f, ConfigRecord& c) {
         c.SetDeleteSms(f.mainPage->DeleteSMS->isChecked());
         c.SetSmsModeOn(f.mainPage->SMSmode->isChecked());
     }},
    {"SkipCrLf <- SkipCRLFcb; SaveOnExit <- SaveSettingAfterExitCB",
     [](TForm1& f, ConfigRecord& c) {
         c.SetSkipCrLf(f.serialPage->SkipCRLFcb->isChecked());
         c.SetSaveOnExit(f.serialPage->SaveSettingAfterExitCB->isChecked());
     }},
};

}  // namespace

const std::vector<ConfigStep>& LoadSteps() {
    return kLoadSteps;
}
const std::vector<ConfigStep>& FillSteps() {
    return kFillSteps;
}

void LoadConfigIntoWindow(TForm1& form) {
    for (const auto& step : kLoadSteps)
        step.run(form, form.Config);
}

void FillConfigFromWindow(TForm1& form) {
    for (const auto& step : kFillSteps)
        step.run(form, form.Config);
}

}  // namespace kt::app
