#pragma once
// Input into forms for tests, through the real keyboard and mouse: typing
// text into the focused control, focusing a control, replacing an edit's
// text, clicking a control in its middle.
#include "platform/framework/controls/Edits.h"
#include "platform/testing/WindowTesting.h"

#include <gtest/gtest.h>

#include <string>

// Types into the focused control: letters, digits (on the numeric pad),
// blanks, "-", ",", "." (numeric pad) and "\"".
inline void TypeIntoFocus(TTestKeyboard& keys, const std::string& text)
{
    for (char c : text) {
        if (c >= 'a' && c <= 'z')
            keys.Tap(std::string(1, static_cast<char>(c - 'a' + 'A')));
        else if (c >= 'A' && c <= 'Z')
            keys.Chord({"Shift"}, std::string(1, c));
        else if (c >= '0' && c <= '9')
            keys.Tap("Num" + std::string(1, c));
        else if (c == ' ')
            keys.Tap("Space");
        else if (c == '-')
            keys.Tap("6");
        else if (c == ',')
            keys.Tap(",");
        else if (c == '.')
            keys.Tap("Num.");
        else if (c == '"')
            keys.Tap("3");
    }
}

inline void FocusControl(TWinControl& control)
{
    control.SetFocus();
    ASSERT_TRUE(RunUntil([&] { return control.Focused(); }));
}

// Replaces an edit's text by typing.
inline void RetypeEdit(TTestKeyboard& keys, TCustomEdit& edit, const std::string& text)
{
    FocusControl(edit);
    edit.SelectAll();
    keys.Tap("Del");
    TypeIntoFocus(keys, text);
}

// A click in the middle of a control (a graphic control through its parent).
inline void ClickControl(TTestMouse& mouse, TControl& control)
{
    if (auto* window = dynamic_cast<TWinControl*>(&control))
        mouse.Click(window->Handle(), {control.Width() / 2, control.Height() / 2});
    else
        mouse.Click(control.Parent()->Handle(),
                    {control.Left() + control.Width() / 2, control.Top() + control.Height() / 2});
}
