// Windows copies are portable: the settings file and the themes stay beside the executable.
#include "config/FileLocations.h"

FileLocations CurrentFileLocations(const std::string& executablePath) {
    LocationFacts facts;
    facts.executablePath = executablePath;
    return DecideFileLocations(facts);
}
