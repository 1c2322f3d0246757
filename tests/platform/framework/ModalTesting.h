#pragma once
// Tests of modal forms: a script run inside the next modal loop.
#include "platform/framework/Forms.h"

#include <functional>
#include <memory>

// Runs script inside the next modal loop, once its form is shown and active.
inline void DuringNextModal(std::function<void(TForm& form)> script)
{
    // The idle handler asks to be called again until the modal form shows;
    // should it never show, the loop is ended (mrAbort) so the test fails
    // instead of waiting for ever.
    auto tries = std::make_shared<int>(0);
    Application->OnIdle = [script, tries](TApplication* app, bool& done) {
        TForm* form = nullptr;
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (Screen->Forms(i)->Modal())
                form = Screen->Forms(i);
        if (!form || !form->HandleAllocated() || !IsWindowVisible(form->Handle())) {
            done = ++*tries > 100000;
            if (done && form)
                form->SetModalResult(mrAbort);
            return;
        }
        const auto run = script;  // the handler (and what it holds) goes now
        app->OnIdle = nullptr;
        run(*form);
        done = false;  // the loop looks at what the script did before it waits
    };
}
