#include "parser/base_job_parser.h"

CBaseJobParser::CBaseJobParser() = default;
