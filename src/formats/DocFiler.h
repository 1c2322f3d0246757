#pragma once
// The file layer's side of the document model's filer (DocumentFiler.h):
// documents read from files or memory blocks and ranges written into memory,
// through LoadFromFile and WriteToFile. The start-up creates it once the file
// layer is ready and the shutdown frees it.
void CreateDocFiler();
void FreeDocFiler();
