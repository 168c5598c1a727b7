#pragma once

// Teaches Qt's accessibility the window's own controls that its standard
// interfaces describe wrongly: the check lists and the status line. Called
// once, before the window is created.
void installAccessibleFactory();
