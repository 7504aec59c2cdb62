// The phy_* built-in variables of an instance: its body's position, rotation, velocities,
// flags and mass in room pixels and degrees, and the contact queries of a collision event.
// Every accessor fails (answers false) when the instance has no body; those that convert by
// the world's scale also when the room has no physics world.
#pragma once

#include <cstdint>

class CInstance;
struct ScriptValue;

bool GV_PhyRotation(CInstance* instance, int32_t index, ScriptValue& out);
bool SV_PhyRotation(CInstance* instance, int32_t index, const ScriptValue& value);
bool GV_PhyPositionX(CInstance* instance, int32_t index, ScriptValue& out);
bool SV_PhyPositionX(CInstance* instance, int32_t index, const ScriptValue& value);
bool GV_PhyPositionY(CInstance* instance, int32_t index, ScriptValue& out);
bool SV_PhyPositionY(CInstance* instance, int32_t index, const ScriptValue& value);
bool GV_PhyAngularVelocity(CInstance* instance, int32_t index, ScriptValue& out);
bool SV_PhyAngularVelocity(CInstance* instance, int32_t index, const ScriptValue& value);
bool GV_PhyLinearVelocityX(CInstance* instance, int32_t index, ScriptValue& out);
bool SV_PhyLinearVelocityX(CInstance* instance, int32_t index, const ScriptValue& value);
bool GV_PhyLinearVelocityY(CInstance* instance, int32_t index, ScriptValue& out);
bool SV_PhyLinearVelocityY(CInstance* instance, int32_t index, const ScriptValue& value);
bool GV_PhySpeedX(CInstance* instance, int32_t index, ScriptValue& out);
bool SV_PhySpeedX(CInstance* instance, int32_t index, const ScriptValue& value);
bool GV_PhySpeedY(CInstance* instance, int32_t index, ScriptValue& out);
bool SV_PhySpeedY(CInstance* instance, int32_t index, const ScriptValue& value);
bool GV_PhyBullet(CInstance* instance, int32_t index, ScriptValue& out);
bool SV_PhyBullet(CInstance* instance, int32_t index, const ScriptValue& value);
bool GV_PhyFixedRotation(CInstance* instance, int32_t index, ScriptValue& out);
bool SV_PhyFixedRotation(CInstance* instance, int32_t index, const ScriptValue& value);
bool GV_PhyActive(CInstance* instance, int32_t index, ScriptValue& out);
bool SV_PhyActive(CInstance* instance, int32_t index, const ScriptValue& value);
bool GV_PhyMass(CInstance* instance, int32_t index, ScriptValue& out);
bool GV_PhyInertia(CInstance* instance, int32_t index, ScriptValue& out);
bool GV_PhyComX(CInstance* instance, int32_t index, ScriptValue& out);
bool GV_PhyComY(CInstance* instance, int32_t index, ScriptValue& out);
bool GV_PhyDynamic(CInstance* instance, int32_t index, ScriptValue& out);
bool GV_PhyKinematic(CInstance* instance, int32_t index, ScriptValue& out);
bool GV_PhySleeping(CInstance* instance, int32_t index, ScriptValue& out);
bool GV_PhyCollisionPoints(CInstance* instance, int32_t index, ScriptValue& out);
bool GV_PhyCollisionX(CInstance* instance, int32_t index, ScriptValue& out);
bool GV_PhyCollisionY(CInstance* instance, int32_t index, ScriptValue& out);
bool GV_PhyColNormalX(CInstance* instance, int32_t index, ScriptValue& out);
bool GV_PhyColNormalY(CInstance* instance, int32_t index, ScriptValue& out);
