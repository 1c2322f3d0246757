#include "installer/SetupProgram.h"

#include "installer/AttachedFiles.h"
#include "installer/InstallUtils.h"
#include "installer/SetupBackdropForm.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/SysUtils.h"

#include <memory>

int RunSetup(const std::string& setupFile, const std::vector<std::string>& args)
{
    Application->SetTitle(SetupTitle);
    auto files = std::make_unique<TAttachedFiles>(setupFile);
    const bool corrupt = files->Corrupt();
    if (!corrupt) {
        auto backdrop = std::make_unique<TSetupBackdropForm>(nullptr, *files);
        Application->SetMainForm(backdrop.get());
        Application->Run();
        Application->SetMainForm(nullptr);
    }
    files.reset();  // deletes the temporary files
    RemoveSetupFileWhenAsked(setupFile, args);
    return corrupt ? 1 : 0;
}

bool RemoveSetupFileWhenAsked(const std::string& setupFile, const std::vector<std::string>& args)
{
    for (const std::string& arg : args)
        if (SameText(arg, "-delete"))
            return DeleteFile(setupFile);
    return false;
}
