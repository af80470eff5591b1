// Counts the blocks of the non-throwing array new that are not freed yet. The link label
// makes its private text copies with it, so a test can see them go.
#pragma once

int LiveNothrowArrays();
