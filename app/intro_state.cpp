#include "app/intro_state.h"

IntroState intro;
