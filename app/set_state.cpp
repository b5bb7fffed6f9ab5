// PLACEHOLDER: replaced by the set-state work.
#include "app/workbench.h"
namespace qm {
void Workbench::afterLoad(const std::string&) {}
void Workbench::checkMixedSet() {}
void Workbench::syncActive() {}
void Workbench::setActive(ScanRecord* r) { activeScan = r; }
void Workbench::stepActive(int) {}
void Workbench::closeSet(bool) {}
void Workbench::enableDataCommands(bool) {}
void Workbench::setGroupView(int) {}
int Workbench::selectGroupByRange(float, float, float) { return 0; }
int Workbench::selectGroupByList(const std::string&, float, float) { return 0; }
void Workbench::removeScan(ScanRecord*) {}
void Workbench::updateRlIndicator() {}
int Workbench::dispatch(int) { return 0; }
}
