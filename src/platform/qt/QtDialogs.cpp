// The system's dialogs over Qt: file, folder and colour dialogs and the
// message box, modal over the owner's top-level widget. The file dialog is
// Qt's own (not the desktop's), so that the program's preview panel can sit
// beside its list and its signals give the type and selection changes.
#include "platform/framework/dialogs/CommonDialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

#include "platform/framework/GraphicsObjects.h"
#include "platform/qt/QtWindows.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/FileNames.h"

namespace {

QString Q(const std::string& ansi)
{
    return QString::fromUtf8(Utf8FromAnsi(ansi).c_str());
}

QString FsQ(const std::string& programName)
{
    return QString::fromUtf8(FileSystemName(programName).c_str());
}

std::string ProgramOf(const QString& fsPath)
{
    return ProgramFileName(fsPath.toUtf8().toStdString());
}

QWidget* OwnerWidget(HWND owner)
{
    TNativeWindow* n = owner ? NativeOf(owner) : nullptr;
    return n ? n->window() : nullptr;
}

// "Description (*.a *.b)" from the framework's "*.a;*.b".
QString NameFilter(const std::pair<std::string, std::string>& f)
{
    QString patterns = Q(f.second);
    patterns.replace(';', ' ');
    return Q(f.first) + " (" + patterns + ")";
}

} // namespace

bool ShowFileDialog(const TFileDialogRequest& request, TFileDialogResult& result)
{
    QFileDialog dialog(OwnerWidget(request.Owner), Q(request.Title));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (request.Save)
        dialog.setFileMode(QFileDialog::AnyFile);
    else
        dialog.setFileMode(request.MultiSelect ? QFileDialog::ExistingFiles
                           : request.FileMustExist ? QFileDialog::ExistingFile
                                                   : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.OverwritePrompt);
    QStringList filters;
    for (const auto& f : request.Filters)
        filters << NameFilter(f);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = std::clamp(request.FilterIndex, 1, static_cast<int>(filters.size())) - 1;
        dialog.selectNameFilter(filters[index]);
    }
    if (!request.InitialDir.empty())
        dialog.setDirectory(FsQ(request.InitialDir));
    if (!request.FileName.empty())
        dialog.selectFile(FsQ(request.FileName));
    if (!request.DefaultExt.empty())
        dialog.setDefaultSuffix(Q(request.DefaultExt));
    QObject::connect(&dialog, &QFileDialog::filterSelected, [&](const QString& filter) {
        if (request.TypeChanged)
            request.TypeChanged(static_cast<int32_t>(filters.indexOf(filter)) + 1);
    });
    QObject::connect(&dialog, &QFileDialog::currentChanged, [&](const QString& path) {
        if (request.SelectionChanged)
            request.SelectionChanged(ProgramOf(path));
    });
    // The preview panel sits at the right of the list while the dialog is open.
    TNativeWindow* preview = request.Preview ? NativeOf(request.Preview) : nullptr;
    QWidget* previewParent = preview ? preview->parentWidget() : nullptr;
    const QRect previewGeometry = preview ? preview->geometry() : QRect();
    if (preview)
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
            grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (preview && !preview->Dead) {
        if (dialog.layout())
            dialog.layout()->removeWidget(preview);
        preview->setParent(previewParent);
        preview->setGeometry(previewGeometry);
        preview->show();
    }
    if (!accepted)
        return false;
    for (const QString& f : dialog.selectedFiles())
        result.Files.push_back(ProgramOf(f));
    result.FilterIndex = filters.isEmpty() ? request.FilterIndex
                                           : static_cast<int32_t>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return !result.Files.empty();
}

bool ShowFolderDialog(HWND owner, const std::string& title, const std::string& startFolder, std::string& folder)
{
    QFileDialog dialog(OwnerWidget(owner), Q(title));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (!startFolder.empty())
        dialog.setDirectory(FsQ(startFolder));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    std::string chosen = ProgramOf(dialog.selectedFiles().first());
    while (chosen.size() > 1 && (chosen.back() == '/' || chosen.back() == '\\'))
        chosen.pop_back();
    folder = chosen;
    return true;
}

bool ShowColorDialog(HWND owner, TColor& color, std::vector<COLORREF>& customColors)
{
    customColors.resize(16, 0xFFFFFF);
    for (int i = 0; i < 16; ++i) {
        const COLORREF c = customColors[static_cast<size_t>(i)];
        QColorDialog::setCustomColor(i, QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
    }
    const COLORREF start = ColorToRGB(color);
    QColorDialog dialog(QColor(GetRValue(start), GetGValue(start), GetBValue(start)), OwnerWidget(owner));
    dialog.setOption(QColorDialog::DontUseNativeDialog, true);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QColor chosen = dialog.selectedColor();
    color = static_cast<TColor>(RGB(chosen.red(), chosen.green(), chosen.blue()));
    for (int i = 0; i < 16; ++i) {
        const QColor c = QColorDialog::customColor(i);
        customColors[static_cast<size_t>(i)] = RGB(c.red(), c.green(), c.blue());
    }
    return true;
}

int32_t MessageBox(HWND owner, const std::string& text, const std::string& caption, uint32_t flags)
{
    QMessageBox box(OwnerWidget(owner));
    box.setWindowTitle(Q(caption));
    box.setText(Q(text));
    switch (flags & 0xF0) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    // The buttons of each set, in order, with the ID each answers.
    std::vector<std::pair<int32_t, std::string>> buttons;
    switch (flags & 0xF) {
    case MB_OKCANCEL: buttons = {{IDOK, "OK"}, {IDCANCEL, "Annuler"}}; break;
    case MB_ABORTRETRYIGNORE: buttons = {{IDABORT, "&Abandonner"}, {IDRETRY, "&Recommencer"}, {IDIGNORE, "&Ignorer"}}; break;
    case MB_YESNOCANCEL: buttons = {{IDYES, "&Oui"}, {IDNO, "&Non"}, {IDCANCEL, "Annuler"}}; break;
    case MB_YESNO: buttons = {{IDYES, "&Oui"}, {IDNO, "&Non"}}; break;
    case MB_RETRYCANCEL: buttons = {{IDRETRY, "&Recommencer"}, {IDCANCEL, "Annuler"}}; break;
    default: buttons = {{IDOK, "OK"}}; break;
    }
    const size_t defaultIndex = std::min(buttons.size() - 1, static_cast<size_t>((flags >> 8) & 0xF));
    std::vector<QPushButton*> made;
    for (size_t i = 0; i < buttons.size(); ++i) {
        QPushButton* b = box.addButton(Q(buttons[i].second), QMessageBox::AcceptRole);
        b->setProperty("eldravinId", buttons[i].first);
        made.push_back(b);
        if (i == defaultIndex)
            box.setDefaultButton(b);
    }
    // Escape answers Cancel (or the only button); a box without Cancel ignores it.
    for (size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i].first == IDCANCEL || buttons.size() == 1)
            box.setEscapeButton(made[i]);
    box.exec();
    auto* clicked = qobject_cast<QPushButton*>(box.clickedButton());
    if (!clicked)
        return IDCANCEL;
    return clicked->property("eldravinId").toInt();
}
