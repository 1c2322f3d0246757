#pragma once
// Initialisation of the picture codecs: each codec registers its classes with
// the picture registry under its file extensions. Initialisation is counted
// per codec, so running it again registers nothing twice, and the classes
// leave the registry at the last finalisation.
void InitializeImagingUnits();
void FinalizeImagingUnits();
