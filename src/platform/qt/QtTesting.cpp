// Test helpers that feed windows through Qt: key events carry the key code an
// X11 desktop with a French keyboard would give, mouse events go to the
// top-level window so that Qt finds the widget under the point, drags come as
// Qt drag events with MIME data.
#include "platform/testing/WindowTesting.h"

#include "platform/gdi/Bitmaps.h"
#include "platform/gdi/Dib.h"
#include "platform/qt/QtWindows.h"
#include "platform/win/DragDrop.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWindow>

#include <map>

bool RunUntil(const std::function<bool()>& cond, int maxMilliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!cond()) {
        if (clock.elapsed() > maxMilliseconds)
            return cond();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!cond())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

void RunPending()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// --- Keyboard ---------------------------------------------------------------------------------------

namespace {

// Texts are UTF-16 (narrow literals are the program's code page here).
struct TTestKeyDef {
    uint32_t Evdev = 0;
    int Key = 0;                 // Qt key, unshifted
    const char16_t* Text = u"";  // unshifted
    int ShiftKey = 0;
    const char16_t* ShiftText = u"";
    int AltGrKey = 0;
    const char16_t* AltGrText = u"";
};

const std::map<std::string, TTestKeyDef>& KeyTable()
{
    static const std::map<std::string, TTestKeyDef> table = [] {
        std::map<std::string, TTestKeyDef> t;
        const char* rows[] = {"AZERTYUIOP", "QSDFGHJKLM", "WXCVBN"};
        const uint32_t starts[] = {16, 30, 44};
        static std::u16string lower[26], upper[26];
        for (int r = 0; r < 3; ++r)
            for (int i = 0; rows[r][i]; ++i) {
                char c = rows[r][i];
                lower[c - 'A'] = std::u16string(1, static_cast<char16_t>(c - 'A' + 'a'));
                upper[c - 'A'] = std::u16string(1, static_cast<char16_t>(c));
                t[std::string(1, c)] = {starts[r] + i, Qt::Key_A + (c - 'A'), lower[c - 'A'].c_str(),
                                        Qt::Key_A + (c - 'A'), upper[c - 'A'].c_str(), 0, u""};
            }
        // The key right of N: the comma, the question mark with Shift.
        t[","] = {50, Qt::Key_Comma, u",", Qt::Key_Question, u"?", 0, u""};
        t["E"].AltGrKey = 0x20AC;
        t["E"].AltGrText = u"\u20AC";
        struct TTop {
            const char* Name;
            int Key;
            const char16_t* Text;
            int AltGrKey;
            const char16_t* AltGrText;
        };
        const TTop top[] = {{"1", Qt::Key_Ampersand, u"&", 0, u""},
                            {"2", Qt::Key_Eacute, u"\u00E9", Qt::Key_Dead_Tilde, u""},
                            {"3", Qt::Key_QuoteDbl, u"\"", Qt::Key_NumberSign, u"#"},
                            {"4", Qt::Key_Apostrophe, u"'", Qt::Key_BraceLeft, u"{"},
                            {"5", Qt::Key_ParenLeft, u"(", Qt::Key_BracketLeft, u"["},
                            {"6", Qt::Key_Minus, u"-", Qt::Key_Bar, u"|"},
                            {"7", Qt::Key_Egrave, u"\u00E8", Qt::Key_Dead_Grave, u""},
                            {"8", Qt::Key_Underscore, u"_", Qt::Key_Backslash, u"\\"},
                            {"9", Qt::Key_Ccedilla, u"\u00E7", Qt::Key_AsciiCircum, u"^"},
                            {"0", Qt::Key_Agrave, u"\u00E0", Qt::Key_At, u"@"}};
        static const char16_t* digits[] = {u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9", u"0"};
        for (int i = 0; i < 10; ++i)
            t[top[i].Name] = {static_cast<uint32_t>(2 + i), top[i].Key, top[i].Text,
                              i == 9 ? Qt::Key_0 : Qt::Key_1 + i, digits[i], top[i].AltGrKey, top[i].AltGrText};
        for (int i = 0; i < 10; ++i)
            t["F" + std::to_string(i + 1)] = {static_cast<uint32_t>(59 + i), Qt::Key_F1 + i, u"", Qt::Key_F1 + i, u"", 0, u""};
        t["F11"] = {87, Qt::Key_F11, u"", Qt::Key_F11, u"", 0, u""};
        t["F12"] = {88, Qt::Key_F12, u"", Qt::Key_F12, u"", 0, u""};
        auto plain = [&t](const char* name, uint32_t evdev, int key, const char16_t* text = u"") {
            t[name] = {evdev, key, text, key, text, 0, u""};
        };
        plain("Shift", 42, Qt::Key_Shift);
        plain("Ctrl", 29, Qt::Key_Control);
        plain("Alt", 56, Qt::Key_Alt);
        plain("AltGr", 100, Qt::Key_AltGr);
        plain("Left", 105, Qt::Key_Left);
        plain("Right", 106, Qt::Key_Right);
        plain("Up", 103, Qt::Key_Up);
        plain("Down", 108, Qt::Key_Down);
        plain("Home", 102, Qt::Key_Home);
        plain("End", 107, Qt::Key_End);
        plain("PgUp", 104, Qt::Key_PageUp);
        plain("PgDn", 109, Qt::Key_PageDown);
        plain("Ins", 110, Qt::Key_Insert);
        plain("Del", 111, Qt::Key_Delete);
        plain("Enter", 28, Qt::Key_Return, u"\r");
        plain("Esc", 1, Qt::Key_Escape, u"\x1b");
        plain("Tab", 15, Qt::Key_Tab, u"\t");
        plain("Back", 14, Qt::Key_Backspace, u"\b");
        plain("Space", 57, Qt::Key_Space, u" ");
        plain("Apps", 127, Qt::Key_Menu);
        plain("CapsLock", 58, Qt::Key_CapsLock);
        plain("NumLock", 69, Qt::Key_NumLock);
        plain("NumEnter", 96, Qt::Key_Enter, u"\r");
        plain("Num/", 98, Qt::Key_Slash, u"/");
        plain("Num*", 55, Qt::Key_Asterisk, u"*");
        plain("Num-", 74, Qt::Key_Minus, u"-");
        plain("Num+", 78, Qt::Key_Plus, u"+");
        t["Dead^"] = {26, Qt::Key_Dead_Circumflex, u"", Qt::Key_Dead_Diaeresis, u"", 0, u""};
        return t;
    }();
    return table;
}

// Keypad keys: the digit with Num Lock on, the movement key with it off.
bool KeypadKey(const std::string& name, bool numLock, uint32_t& evdev, int& key, std::u16string& text)
{
    static const std::map<std::string, std::pair<uint32_t, int>> pad = {
        {"Num7", {71, Qt::Key_Home}}, {"Num8", {72, Qt::Key_Up}},    {"Num9", {73, Qt::Key_PageUp}},
        {"Num4", {75, Qt::Key_Left}}, {"Num5", {76, Qt::Key_Clear}}, {"Num6", {77, Qt::Key_Right}},
        {"Num1", {79, Qt::Key_End}},  {"Num2", {80, Qt::Key_Down}},  {"Num3", {81, Qt::Key_PageDown}},
        {"Num0", {82, Qt::Key_Insert}}, {"Num.", {83, Qt::Key_Delete}}};
    auto it = pad.find(name);
    if (it == pad.end())
        return false;
    evdev = it->second.first;
    if (numLock) {
        char c = name[3];
        key = c == '.' ? Qt::Key_Period : Qt::Key_0 + (c - '0');
        text = std::u16string(1, static_cast<char16_t>(c));
    } else {
        key = it->second.second;
        text.clear();
    }
    return true;
}

QWidget* KeyReceiver()
{
    if (TNativeWindow* n = NativeOf(GetFocus()))
        return n;
    return QApplication::focusWidget();
}

} // namespace

void TTestKeyboard::Down(const std::string& name, bool autoRepeat)
{
    uint32_t evdev = 0;
    int key = 0;
    std::u16string text;
    Qt::KeyboardModifiers mods;
    if (!KeypadKey(name, FNumLock, evdev, key, text)) {
        auto it = KeyTable().find(name);
        if (it == KeyTable().end())
            throw std::invalid_argument("unknown test key " + name);
        const TTestKeyDef& d = it->second;
        evdev = d.Evdev;
        const bool letter = name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z';
        const bool shifted = letter ? (FShift != FCapsLock) : FShift;
        if (FAltGr && d.AltGrKey) {
            key = d.AltGrKey;
            text = d.AltGrText;
        } else if (shifted) {
            key = d.ShiftKey;
            text = d.ShiftText;
        } else {
            key = d.Key;
            text = d.Text;
        }
        if (FCtrl && !FAltGr && letter)
            text = std::u16string(1, static_cast<char16_t>(name[0] - 'A' + 1));  // as the desktop gives it
    } else {
        mods |= Qt::KeypadModifier;
    }
    if (name == "Shift")
        FShift = true;
    else if (name == "Ctrl")
        FCtrl = true;
    else if (name == "Alt")
        FAlt = true;
    else if (name == "AltGr")
        FAltGr = true;
    else if (name == "NumLock" && !autoRepeat)
        FNumLock = !FNumLock;
    else if (name == "CapsLock" && !autoRepeat)
        FCapsLock = !FCapsLock;
    if (FShift)
        mods |= Qt::ShiftModifier;
    if (FCtrl)
        mods |= Qt::ControlModifier;
    if (FAlt)
        mods |= Qt::AltModifier;
    if (FAltGr)
        mods |= Qt::GroupSwitchModifier;
    QKeyEvent e(QEvent::KeyPress, key, mods, evdev + 8, 0, 0, QString::fromStdU16String(text), autoRepeat);
    if (QWidget* w = KeyReceiver())
        QApplication::sendEvent(w, &e);
}

void TTestKeyboard::Up(const std::string& name)
{
    uint32_t evdev = 0;
    int key = 0;
    std::u16string text;
    Qt::KeyboardModifiers mods;
    if (!KeypadKey(name, FNumLock, evdev, key, text)) {
        auto it = KeyTable().find(name);
        if (it == KeyTable().end())
            throw std::invalid_argument("unknown test key " + name);
        evdev = it->second.Evdev;
        key = it->second.Key;
    } else {
        mods |= Qt::KeypadModifier;
    }
    if (name == "Shift")
        FShift = false;
    else if (name == "Ctrl")
        FCtrl = false;
    else if (name == "Alt")
        FAlt = false;
    else if (name == "AltGr")
        FAltGr = false;
    QKeyEvent e(QEvent::KeyRelease, key, mods, evdev + 8, 0, 0, QString());
    if (QWidget* w = KeyReceiver())
        QApplication::sendEvent(w, &e);
}

void TTestKeyboard::Tap(const std::string& key)
{
    Down(key);
    Up(key);
}

void TTestKeyboard::Chord(const std::vector<std::string>& modifiers, const std::string& key)
{
    for (const auto& m : modifiers)
        Down(m);
    Tap(key);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
        Up(*it);
}

// --- Mouse --------------------------------------------------------------------------------------------

namespace {

Qt::MouseButton QtButton(TTestButton b)
{
    switch (b) {
    case TTestButton::Right: return Qt::RightButton;
    case TTestButton::Middle: return Qt::MiddleButton;
    default: return Qt::LeftButton;
    }
}

Qt::KeyboardModifiers HeldModifiers()
{
    Qt::KeyboardModifiers m;
    if (GetAsyncKeyState(VK_SHIFT) < 0)
        m |= Qt::ShiftModifier;
    if (GetAsyncKeyState(VK_CONTROL) < 0)
        m |= Qt::ControlModifier;
    if (GetAsyncKeyState(VK_MENU) < 0)
        m |= Qt::AltModifier;
    return m;
}

} // namespace

void TTestMouse::Send(HWND window, TPoint client, int type, TTestButton button)
{
    TNativeWindow* n = NativeOf(window);
    if (!n)
        return;
    const QPoint global = n->mapToGlobal(QPoint(client.X, client.Y));
    QCursor::setPos(global);
    Qt::MouseButton b = type == QEvent::MouseMove ? Qt::NoButton : QtButton(button);
    if (type == QEvent::MouseButtonPress)
        FButtons |= b;
    else if (type == QEvent::MouseButtonRelease)
        FButtons &= ~static_cast<uint32_t>(b);
    // Through the top-level window when it is shown, so that Qt picks the
    // widget under the point and keeps the pressed one; straight to the
    // widget otherwise.
    QWidget* top = n->window();
    QWindow* handle = top->windowHandle();
    QObject* receiver = n;
    QPointF local(client.X, client.Y);
    if (handle && top->isVisible()) {
        receiver = handle;
        local = QPointF(handle->mapFromGlobal(global));
    }
    QMouseEvent e(static_cast<QEvent::Type>(type), local, QPointF(global), b, Qt::MouseButtons(FButtons),
                  HeldModifiers());
    e.setTimestamp(FTime++);
    QApplication::sendEvent(receiver, &e);
}

void TTestMouse::Move(HWND window, TPoint client)
{
    Send(window, client, QEvent::MouseMove, TTestButton::Left);
}

void TTestMouse::Press(HWND window, TPoint client, TTestButton button)
{
    Send(window, client, QEvent::MouseButtonPress, button);
}

void TTestMouse::Release(HWND window, TPoint client, TTestButton button)
{
    Send(window, client, QEvent::MouseButtonRelease, button);
}

void TTestMouse::Click(HWND window, TPoint client, TTestButton button)
{
    Press(window, client, button);
    Release(window, client, button);
}

void TTestMouse::Wheel(HWND window, TPoint client, int delta)
{
    TNativeWindow* n = NativeOf(window);
    if (!n)
        return;
    const QPoint global = n->mapToGlobal(QPoint(client.X, client.Y));
    QWheelEvent e(QPointF(client.X, client.Y), QPointF(global), QPoint(), QPoint(0, delta), Qt::MouseButtons(FButtons),
                  HeldModifiers(), Qt::NoScrollPhase, false);
    e.setTimestamp(FTime++);
    QApplication::sendEvent(n, &e);
}

// --- Drags ------------------------------------------------------------------------------------------------

struct TTestDrag::TImpl {
    QMimeData Mime;
    Qt::DropActions Allowed;
    Qt::KeyboardModifiers Modifiers;
};

TTestDrag::TTestDrag(const TTestDragData& data) : FImpl(std::make_unique<TImpl>())
{
    if (!data.Utf8Text.empty())
        FImpl->Mime.setText(QString::fromUtf8(data.Utf8Text.c_str()));
    QList<QUrl> urls;
    for (const auto& f : data.Files)
        urls.push_back(QUrl::fromLocalFile(QString::fromUtf8(f.c_str())));
    if (!urls.isEmpty())
        FImpl->Mime.setUrls(urls);
    if (data.AllowedEffects & DROPEFFECT_COPY)
        FImpl->Allowed |= Qt::CopyAction;
    if (data.AllowedEffects & DROPEFFECT_MOVE)
        FImpl->Allowed |= Qt::MoveAction;
    if (data.AllowedEffects & DROPEFFECT_LINK)
        FImpl->Allowed |= Qt::LinkAction;
    if (data.CtrlHeld)
        FImpl->Modifiers |= Qt::ControlModifier;
}

TTestDrag::~TTestDrag() = default;

namespace {

uint32_t EffectOfAction(const QDropEvent& e)
{
    if (!e.isAccepted())
        return DROPEFFECT_NONE;
    switch (e.dropAction()) {
    case Qt::CopyAction: return DROPEFFECT_COPY;
    case Qt::MoveAction: return DROPEFFECT_MOVE;
    case Qt::LinkAction: return DROPEFFECT_LINK;
    default: return DROPEFFECT_NONE;
    }
}

} // namespace

uint32_t TTestDrag::Enter(HWND window, TPoint client)
{
    TNativeWindow* n = NativeOf(window);
    if (!n)
        return DROPEFFECT_NONE;
    QDragEnterEvent e(QPoint(client.X, client.Y), FImpl->Allowed, &FImpl->Mime, Qt::LeftButton, FImpl->Modifiers);
    e.setAccepted(false);
    QApplication::sendEvent(n, &e);
    return EffectOfAction(e);
}

uint32_t TTestDrag::Move(HWND window, TPoint client)
{
    TNativeWindow* n = NativeOf(window);
    if (!n)
        return DROPEFFECT_NONE;
    QDragMoveEvent e(QPoint(client.X, client.Y), FImpl->Allowed, &FImpl->Mime, Qt::LeftButton, FImpl->Modifiers);
    e.setAccepted(false);
    QApplication::sendEvent(n, &e);
    return EffectOfAction(e);
}

void TTestDrag::Leave(HWND window)
{
    if (TNativeWindow* n = NativeOf(window)) {
        QDragLeaveEvent e;
        QApplication::sendEvent(n, &e);
    }
}

uint32_t TTestDrag::Drop(HWND window, TPoint client)
{
    TNativeWindow* n = NativeOf(window);
    if (!n)
        return DROPEFFECT_NONE;
    QDropEvent e(QPointF(client.X, client.Y), FImpl->Allowed, &FImpl->Mime, Qt::NoButton, FImpl->Modifiers);
    e.setAccepted(false);
    QApplication::sendEvent(n, &e);
    return EffectOfAction(e);
}

// --- Pixels ------------------------------------------------------------------------------------------------

bool GrabWindow(HWND window, TBitmap& bitmap)
{
    TNativeWindow* n = NativeOf(window);
    if (!n)
        return false;
    QImage image = n->grab().toImage().convertToFormat(QImage::Format_RGB32);
    TDibImage dib;
    AllocateDib(dib, image.width(), image.height(), 32);
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(dib.Row(y), image.constScanLine(y), static_cast<size_t>(image.width()) * 4);
    HBITMAP h = CreateBitmapFromDib(std::move(dib));
    if (!h)
        return false;
    bitmap.SetHandle(h);
    return true;
}

bool WriteBitmapPng(TBitmap& bitmap, const std::string& path)
{
    TDibImage dib;
    if (!GetBitmapDib(bitmap.Handle(), &dib) || dib.Empty())
        return false;
    QImage image(dib.Width, dib.Height, QImage::Format_RGB32);
    for (int y = 0; y < dib.Height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
        ReadDibRow(dib, y, 0, dib.Width, row);
        for (int x = 0; x < dib.Width; ++x)
            row[x] |= 0xFF000000u;
    }
    return image.save(QString::fromUtf8(path.c_str()), "PNG");
}

// --- System dialogs ---------------------------------------------------------------

#include <QAbstractButton>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

void AnswerNextSystemDialog(std::function<void(TSystemDialogAnswer&)> answer)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(1);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer]() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        TSystemDialogAnswer a;
        if (auto* f = qobject_cast<QFileDialog*>(dialog)) {
            a.Kind = f->fileMode() == QFileDialog::Directory ? "folder"
                     : f->acceptMode() == QFileDialog::AcceptSave ? "save"
                                                                  : "open";
            a.Text = f->windowTitle().toStdString();
            for (const QString& s : f->nameFilters())
                a.Filters.push_back(s.toStdString());
            answer(a);
            if (a.FilterIndex > 0 && a.FilterIndex <= f->nameFilters().size()) {
                f->selectNameFilter(f->nameFilters()[a.FilterIndex - 1]);
                emit f->filterSelected(f->nameFilters()[a.FilterIndex - 1]);
            }
            if (!a.FileName.empty()) {
                const QString path = QString::fromUtf8(a.FileName.c_str());
                if (a.Kind == "folder")
                    f->setDirectory(path);
                else
                    f->selectFile(path);
                emit f->currentChanged(path);
            }
        } else if (auto* c = qobject_cast<QColorDialog*>(dialog)) {
            a.Kind = "color";
            a.Text = c->windowTitle().toStdString();
            answer(a);
            if (a.Rgb != 0xFFFFFFFF)
                c->setCurrentColor(QColor((a.Rgb >> 16) & 0xFF, (a.Rgb >> 8) & 0xFF, a.Rgb & 0xFF));
        } else if (auto* m = qobject_cast<QMessageBox*>(dialog)) {
            a.Kind = "message";
            a.Text = m->text().toStdString();
            answer(a);
            for (QAbstractButton* b : m->buttons())
                if (b->text().toStdString() == a.ButtonText) {
                    b->click();
                    return;
                }
        }
        if (a.Accept)
            dialog->accept();
        else
            dialog->reject();
    });
    timer->start();
}
