// The host runtime in one include: documents, modules, commands, AutoLISP functions, system
// variables, file search, output, input sources, the message loop and the automation objects;
// the editor's prompts, picks, jigs and UCS.
#pragma once

#include "acad/AcApDocument.h"
#include "acad/AcEdCommandStack.h"
#include "acad/AcEdJig.h"
#include "acad/AcEdLinetypeDialog.h"
#include "acad/AcEdOutput.h"
#include "acad/AcEdPrompts.h"
#include "acad/AcRxDynamicLinker.h"
#include "acad/AcadApplication.h"
#include "acad/AdsFunctions.h"
#include "acad/BuiltinCommands.h"
#include "acad/CommandProcessor.h"
#include "acad/EditorState.h"
#include "acad/EntityPicking.h"
#include "acad/FindFile.h"
#include "acad/InputSource.h"
#include "acad/MessageLoop.h"
#include "acad/SysVars.h"
