// The records module's one entry: the program finds it by name after loading the module.

#include "discovery/RecordsModule.h"

namespace {

const dk3::discovery::RecordReaders kReaders = {
    dk3::discovery::kRecordReadersVersion,
    &dk3::discovery::parseLutrisGameConfig,
    &dk3::discovery::parseLutrisDatabase,
    &dk3::discovery::parseBottleConfig,
};

} // namespace

extern "C" __attribute__((visibility("default"))) const dk3::discovery::RecordReaders*
dk3_record_readers() {
    return &kReaders;
}
