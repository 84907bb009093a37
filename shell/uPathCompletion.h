#pragma once
// Our own completion source for a path being typed, for platforms whose
// shell completion suggests nothing: the children of the folder named so far
// (the autocomplete object calls IACList::Expand with the text up to its last
// backslash), each as that text followed by the child's name.

#include "app/ComPtr.h"

#include <objidl.h>

ComPtr<IEnumString> CreateChildNameList();
