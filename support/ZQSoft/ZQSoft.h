// libZQSoft.so: the suite's general utilities in namespace ZQ, as every module of the suite sees
// them. Files go through the platform's file layer (Windows-style GBK paths), values through the
// system registry; nothing here keeps state between calls.
#pragma once

#include "ZQSoft/FilePaths.h"
#include "ZQSoft/InstallDir.h"
#include "ZQSoft/Numbers.h"
#include "ZQSoft/RegistryValues.h"
#include "ZQSoft/SearchPath.h"
#include "ZQSoft/TextFile.h"
