#pragma once
// The application shell's answers to what the lower layers ask of it: the
// message boxes' host (the frame and the application around each dialog),
// the document file road's host (options, progress in the status bar, the
// recent list) and the shared managers' host (options they read). Start-up
// installs them right after the options holder exists; shutdown removes
// them after the frame is freed.

// Installs the hosts (once); RemoveProgramHosts puts the previous ones back.
void InstallProgramHosts();
void RemoveProgramHosts();

// The document file road's host alone (its own source file: the document
// model and the framework's forms never meet in one file).
void InstallShellDocFileHost();
void RemoveShellDocFileHost();

// The document model's host (the dialogs a document asks for, such as the
// manual hyphenation dialog of the hyphenation run).
void InstallShellDocumentHost();
void RemoveShellDocumentHost();
