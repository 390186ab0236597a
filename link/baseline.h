// The attribute baseline of each drive in "KELPRA.INI": its status-hidden
// flag and the five watched S.M.A.R.T. values.
#pragma once

int LoadAttributeBaseline(int position);
int SaveAttributeBaseline(int position);
