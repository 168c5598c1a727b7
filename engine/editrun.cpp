#include "editrun.h"

EditRun::EditRun(EditHost &host) : m_host(host) {}

void EditRun::Command1_Click(int) {}
