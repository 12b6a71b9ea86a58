#pragma once

#include <memory>

#include "core/program_data.h"
#include "windows/application.h"
#include "windows/clock_dialog.h"
#include "windows/config_form.h"
#include "windows/receive_form.h"

// What they show and edit; each configuration window loads it anew.
inline ProgramData& transferWindowsData() {
    static ProgramData data;
    return data;
}

// The configuration, receive and clock windows as the program creates them, each put in
// the global the program reaches it through.
// `main`, when given, shows their work.
inline void createTransferWindows(std::unique_ptr<TConfigForm>& config,
                                  std::unique_ptr<TReceiveForm>& receive,
                                  std::unique_ptr<TdlgTime>& clock, TMainForm* main = nullptr) {
    config = std::make_unique<TConfigForm>(transferWindowsData(), main);
    ConfigForm = config.get();
    receive = std::make_unique<TReceiveForm>(transferWindowsData());
    ReceiveForm = receive.get();
    clock = std::make_unique<TdlgTime>();
    dlgTime = clock.get();
    config->setTransferWindows(receive.get(), clock.get());
}

// Deletes them in the opposite order (the configuration window saves the settings) and
// clears the globals.
inline void destroyTransferWindows(std::unique_ptr<TConfigForm>& config,
                                   std::unique_ptr<TReceiveForm>& receive,
                                   std::unique_ptr<TdlgTime>& clock) {
    clock.reset();
    receive.reset();
    config.reset();
    dlgTime = nullptr;
    ReceiveForm = nullptr;
    ConfigForm = nullptr;
}
