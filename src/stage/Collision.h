#pragma once
// Block-map collision, item pickup, damage and death, spawning and summoning:
// the rules the play frame runs on characters in each logic step. Results:
// 0 go on, 1 the stage was cleared, 2 the character (the hero) must die.
#include "records/CharaDef.h"
#include "records/EdSettings.h"
#include "stage/Chara.h"

// Map collision.
int PickEdgeCell(const cChara& c, int x1, int y1, int x2, int y2);
int PickFootCell(const cChara& c);
int PickCornerCell(int left, int top, int right, int bottom, int faction);
int CollideMapLeft(cChara& c);
int CollideMapRight(cChara& c);
int CollideMapTop(cChara& c);
int CollideMapBottom(cChara& c);
int CollideMapX(cChara& c);
int RecheckMapX(cChara& c);
int CollideMapY(cChara& c);
int RecheckMapY(cChara& c);
void KeepHeroInScreenX(cPlayer& hero);
int KeepHeroInScreenY(cPlayer& hero);
int CheckBlockOverlap(cChara& c);
int PickUpItems(cPlayer& hero);
int UseTouchedItem(cItem* item, cPlayer& hero);
// The item definition of the common palette (source 1) or the stage's (2); null when there is none.
const cItemDef* FindPaletteItem(int source, int index);
// A passing item made from the definition and used on the hero at once: the item commands' result.
int UseItemDef(const cItemDef& def, cPlayer& hero);
int LoseChara(cChara& c);
// 1 when the defeat (or the hero's loss it leads to) clears the stage: the
// caller then clears it.
int DefeatChara(cChara& c);
// The character-down rule: the defeat, then the character leaves the stage at
// once unless it stays for its vanish effect. 1 clear, 2 the hero is lost.
int CharaDown(cNpc& c);

// Hits between the factions once all objects moved: 0 go on, 1 the stage is
// cleared, 2 the hero is lost.
int ResolveHits();
// The deaths that status changes of other characters caused; non-zero (1
// clear, 2 the hero is lost) ends the logic step.
int CheckHeroDeath();

// Damage, invincibility and death.
int TakeCharaDamage(cChara& victim, cChara& attacker);
int TakeShotDamage(cChara& victim, const cShot& shot);
void StartInvincibility(cChara& c);
void AddImmunity(cChara& c, int attackerNo);
void UpdateInvincibility(cChara& c);
int IsInvincible(const cChara& c);
int IsImmuneTo(const cChara& c, int attackerNo);
int KillChara(cChara& c);
void RemoveFlowAnimes(cChara& c, int serial);
void PauseFlowAnimes(cChara& c, int serial);
void ResumeFlowAnimes(cChara& c, int serial);
int UpdateFlowAnimes(cChara& c, int skipUpdate);

// Spawning and summoning.
void SpawnCharas(int cellX, int cellY, int& counter, const cCharaDef& def, const cItem* item);
void SpawnItems(int cellX, int cellY, int& counter, const cItemDef& def);
void SummonCharaAt(double x, double y, int faction, int facing, int summonerFacing, const cEdShot& settings,
                   const cCharaDef& def, int& counter);
void SummonItemAt(double x, double y, int summonerFacing, const cEdShot& settings, const cItemDef& def, int& counter);
void SetBlockAt(double x, double y, int summonerFacing, const cEdShot& settings, const cBlockDef& def);
int MarkBlockOverlaps(int cellIndex, int cellX, int cellY, const cEdShot& settings);
