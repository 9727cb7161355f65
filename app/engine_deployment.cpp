#include "app/engine_deployment.h"

#include "batch/engine_files.h"

AnsiString EnginePath;

AnsiString WorkFolder() { return batch::EngineFolder(); }

AnsiString ShortPathName(const AnsiString& path) { return batch::ShortPath(path); }

void DeployEngine() {
  batch::WriteEngineFiles();
  EnginePath = ShortPathName(WorkFolder());
}
