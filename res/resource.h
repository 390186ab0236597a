// Resource identifiers of kelpra.exe.
#pragma once

#define IDI_APP 200
#define IDI_APP_SMALL 201
#define IDI_ERROR_SIGN 202
#define IDI_MENU_REFRESH 210
#define IDI_MENU_SAVE 211
#define IDI_MENU_OVERRIDE 212
#define IDI_MENU_SETTINGS 213
#define IDI_MENU_VERSION 214
#define IDI_MENU_EXIT 215
#define IDI_BADGE_GOOD 220
#define IDI_BADGE_WARN 221
#define IDI_BADGE_DNGR 222
#define IDI_MARK_WARN 230
#define IDI_MARK_DNGR 231

#define IDD_SETTINGS 100
