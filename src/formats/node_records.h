// How each node class reads and writes its records in the project file: the
// generic record of IntPar and RealPar, plus what each class adds to it.
// Writing and reading clear the node's Modified flag.
#pragma once

#include "record_io.h"

namespace vemra {

class TNLMember;
class TProject;
class TRXHeader;
class TRestr;

void writeGenericRecord(RecordWriter& out, TNLMember& node);
void readGenericRecord(RecordReader& in, TNLMember& node);

// The generic record and the description line. Writing stores HasResults
// and AllValid in the record and clears advanced settings that are off.
void writeProjectRecord(RecordWriter& out, TProject& project);
void readProjectRecord(RecordReader& in, TProject& project);

// The generic record, the coefficients of a result, the display line and
// the short name.
void writeMotionRecord(RecordWriter& out, TRXHeader& motion);
void readMotionRecord(RecordReader& in, TRXHeader& motion);

// The generic record and, for a member of an optimisation object, its
// effective parameters.
void writeRestrictionRecord(RecordWriter& out, TRestr& restriction);
void readRestrictionRecord(RecordReader& in, TRestr& restriction);

} // namespace vemra
