// Runs one write dialog on its own (no main window) and plays steps against it while it is open.
#pragma once

#include <QTimer>

#include <functional>
#include <vector>

#include "entry.h"
#include "port.h"
#include "resource.h"
#include "windows.h"
#include "write_dialog_access.h"
#include "writedlg.h"

namespace writedlgtest {

class DialogScript {
public:
    // A step runs on a later turn of the dialog's loop than the one before it, and only while the
    // dialog is open.
    DialogScript& then(std::function<void(const WriteDialog&)> step) {
        steps_.push_back(std::move(step));
        return *this;
    }

    struct Outcome {
        INT_PTR result = -1;
        size_t stepsRun = 0;   // steps that found the dialog open and ran
        bool leftOpen = false; // still open a while after the last step: closed by force
    };

    // Opens template `templateId` for register `write` as the write commands do, with no owner.
    Outcome run(int templateId, int write) {
        static HINSTANCE__ module{&g_ModuleResources};
        Outcome outcome;
        size_t next = 0;
        int idleTicks = 0;
        QTimer ticker;
        ticker.setInterval(10);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            if (next < steps_.size()) {
                WriteDialog d = openWriteDialog();
                if (!d.complete()) {
                    closeModal();
                    return;
                }
                steps_[next++](d);
                outcome.stepsRun = next;
            } else if (++idleTicks > 300) {
                outcome.leftOpen = true;
                closeModal();
            }
        });
        ticker.start();
        WRITE = write;
        outcome.result =
            DialogBoxParamA(&module, MAKEINTRESOURCEA(templateId), nullptr, WriteDlg, 0);
        return outcome;
    }

private:
    std::vector<std::function<void(const WriteDialog&)>> steps_;
};

} // namespace writedlgtest
