#pragma once

// Stops the music, then releases the renderer's and the scroller's objects in their fixed order.
// Safe with any subset made: every step checks its object and clears its field.
void ShutdownRoutine();
