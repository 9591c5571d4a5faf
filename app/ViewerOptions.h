#pragma once

struct ViewerOptions { bool fitOnOpen = false; bool smoothReduction = false; bool alphaCheckerboard = false; int slideShowSeconds = 1; };
