#pragma once
// Resource identifiers shared by the resource script and the Windows program.
#define IDI_TAVIMORO 1
