#pragma once

#include <memory>

#include "scanner/clock_dialog.h"
#include "settings/config_form.h"
#include "transfer/receive_form.h"

// The configuration, receive and clock windows as the program creates them, each put in
// the global the program reaches it through.
inline void createTransferWindows(std::unique_ptr<TConfigForm>& config,
                                  std::unique_ptr<TReceiveForm>& receive,
                                  std::unique_ptr<TdlgTime>& clock) {
    static ProgramData data;
    config = std::make_unique<TConfigForm>(data);
    ConfigForm = config.get();
    receive = std::make_unique<TReceiveForm>(data);
    ReceiveForm = receive.get();
    clock = std::make_unique<TdlgTime>();
    dlgTime = clock.get();
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
