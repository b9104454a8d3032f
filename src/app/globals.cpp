// Program-wide tables of the console driver and the WAD path from the command line.
#include "app/globals.h"

namespace tracewell {

const std::vector<text> formats = {u"doom", u"hexen", u"zdoom"};

const std::vector<text> categoryprefixes = {
    u"passable_",
    u"passable_floor_change_",
    u"passable_ceil_change_",
    u"passable_both_change_",
    u"passable_action_",
    u"impassable_",
    u"impassable_floor_change_",
    u"impassable_ceil_change_",
    u"impassable_both_change_",
    u"impassable_action_",
};

const text settingspath = u"settings.txt";

text startwadpath;

}  // namespace tracewell
