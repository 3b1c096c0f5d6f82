#pragma once
// Which host application a plug-in runs in, recognised by its name.

// A host ID: 0 for a host not in the table, otherwise a small number per known host
// (for example 1 reaper, 3 cubase, 9 live, 21 logic, 23 a standalone build).
// The name is searched without regard to letter case, in a fixed order, so a name
// that contains two known hosts gives the first of the order.
int LookUpHost(const char* name);
