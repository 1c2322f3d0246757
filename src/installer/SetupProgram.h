#pragma once
// The setup program's run: the payload is read, the backdrop (which runs the
// wizard) shown until it closes, everything freed with the setup's temporary
// files, and with "-delete" among the arguments the setup file removes itself.
#include <string>
#include <vector>

// Returns the process exit code: 0 after a run, 1 when the payload was corrupt.
int RunSetup(const std::string& setupFile, const std::vector<std::string>& args);

// With "-delete" (any case) among the arguments: deletes the setup file. The
// system lets a running program's file be deleted, so this needs no helper
// process and cannot wait for ever; false when the file stays.
bool RemoveSetupFileWhenAsked(const std::string& setupFile, const std::vector<std::string>& args);
