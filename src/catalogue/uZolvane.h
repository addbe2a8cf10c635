#pragma once

// The level unit: level record, level file and element catalogues.
#include "catalogue.h"
#include "inouterror.h"
#include "leveldata.h"
