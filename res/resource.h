#pragma once
// Identifiers of the executable's resources.

#define AINICON 1
