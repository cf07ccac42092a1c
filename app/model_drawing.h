// Drawing the built-in model in immediate mode: each face set is one GL_TRIANGLES bracket with a
// normal, a texture coordinate and a vertex per corner.
#pragma once

void DrawAngel();      // all angel faces, or the run directory's object in their place
void DrawTableTop();   // table faces 320 and 321, the light-mapped top
void DrawTableRest();  // every other table face, in list order
