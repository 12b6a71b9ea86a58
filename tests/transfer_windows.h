#pragma once

#include <memory>

#include "core/program_data.h"
#include "windows/application.h"
#include "windows/clock_dialog.h"
#include "windows/config_form.h"
#include "windows/keyboard_wedge.h"
#include "windows/program_start.h"
#include "windows/receive_form.h"

// What they show and edit; each run loads it anew.
inline ProgramData& transferWindowsData() {
    static ProgramData data;
    return data;
}

inline std::unique_ptr<KeyboardWedge>& transferWindowsWedge() {
    static std::unique_ptr<KeyboardWedge> wedge;
    return wedge;
}

// The start of a run (the data loaded), then the configuration, receive and clock windows
// and the keyboard wedge as the program creates them, each put in the global the program
// reaches it through. `main`, when given, shows their work.
inline void createTransferWindows(std::unique_ptr<TConfigForm>& config,
                                  std::unique_ptr<TReceiveForm>& receive,
                                  std::unique_ptr<TdlgTime>& clock, TMainForm* main = nullptr) {
    startRun(transferWindowsData(), main);
    openRunServices(transferWindowsData());
    config = std::make_unique<TConfigForm>(transferWindowsData(), main);
    ConfigForm = config.get();
    receive = std::make_unique<TReceiveForm>(transferWindowsData());
    ReceiveForm = receive.get();
    clock = std::make_unique<TdlgTime>();
    dlgTime = clock.get();
    config->setClockDialog(clock.get());
    transferWindowsWedge() =
        std::make_unique<KeyboardWedge>(transferWindowsData(), main, receive.get());
    Wedge = transferWindowsWedge().get();
}

// The end of the run (the data saved), then the windows deleted in the opposite order and
// the globals cleared.
inline void destroyTransferWindows(std::unique_ptr<TConfigForm>& config,
                                   std::unique_ptr<TReceiveForm>& receive,
                                   std::unique_ptr<TdlgTime>& clock) {
    endRun(transferWindowsData());
    transferWindowsWedge().reset();
    Wedge = nullptr;
    clock.reset();
    receive.reset();
    config.reset();
    dlgTime = nullptr;
    ReceiveForm = nullptr;
    ConfigForm = nullptr;
}

// A run with the configuration window alone: the data loaded before the window is made,
// and saved when the run ends.
class ConfigRun {
  public:
    explicit ConfigRun(ProgramData& data, TMainForm* main = nullptr)
        : data_(started(data, main)), form(data, main) {}
    ~ConfigRun() { endRun(data_); }
    ConfigRun(const ConfigRun&) = delete;
    ConfigRun& operator=(const ConfigRun&) = delete;

  private:
    static ProgramData& started(ProgramData& data, TMainForm* main) {
        startRun(data, main);
        openRunServices(data);
        return data;
    }
    ProgramData& data_;

  public:
    TConfigForm form;
};
