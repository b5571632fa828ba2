// Only the meta-objects of the player views are made here.
#include "player/ui/PlayerViews.h"
