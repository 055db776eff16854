#pragma once

// Registers the record types under the names the hub's signal signatures use, so that
// queued deliveries (the SDK search reports from its worker thread) can copy them.
void registerRecordMetaTypes();
