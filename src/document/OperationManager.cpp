#include "document/OperationManager.h"

TOperationManager::TOperationManager(TDocument* document) : FDocument(document) {}
