#pragma once
// Resource ids of the settings, display-settings and sound dialogs, their picture and
// their texts. Plain macros: the resource compiler reads this file too.

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDD_SETTINGS 106
#define IDD_DISPLAY_ONE_ADAPTER 200
#define IDD_DISPLAY_MONITOR_TABS 201
#define IDD_SOUND 2214

// The settings dialog's picture, a JPEG of resource type "DDS".
#define IDR_SETTINGS_PICTURE 120

// Settings dialog
#define IDC_DISPLAY_SETTINGS_BUTTON 1006
#define IDC_SOUND_SETTINGS_BUTTON 1007
#define IDC_CATALOGUE_BUTTON 1017
#define IDC_PICTURE_POSITION 1023

// Sound dialog
#define IDC_VOLUME_TRACKBAR 1021
#define IDC_MUTE 1022

// Display-settings dialogs
#define IDC_MONITOR_TABS 2000
#define IDC_TAB_NAME_FORMAT 2001
#define IDC_ADAPTER_NAME 2002
#define IDC_RENDERING_TEXT 2003
#define IDC_HELP_BUTTON 2004
#define IDC_DISABLE_HARDWARE 2005
#define IDC_MONITOR_USAGE_GROUP 2006
#define IDC_SHOW_ON_MONITOR 2007
#define IDC_LEAVE_BLACK 2008
#define IDC_MODE_GROUP 2009
#define IDC_MODE_LABEL 2010
#define IDC_MODE_LIST 2011
#define IDC_AUTOMATIC_TEXT 2012
#define IDC_MODE_NOTE 2013
#define IDC_DUAL_MONITOR_GROUP 2014
#define IDC_REVERSE_ORDER 2015
#define IDC_MODE_FORMAT 2016

// Help texts of the display-settings dialogs, chosen from the adapter's capabilities.
#define IDS_HELP_HAL_OK 2200
#define IDS_HELP_HAL_NEEDS_SOFTWARE 2201
#define IDS_HELP_HAL_NOTHING_WORKS 2202
#define IDS_HELP_HAL_NO_SOFTWARE 2203
#define IDS_HELP_NO_HAL_SOFTWARE_OK 2204
#define IDS_HELP_NO_HAL_SOFTWARE_LACKS 2205
#define IDS_HELP_NO_HAL_NO_SOFTWARE 2206
#define IDS_HELP_DISABLED_SOFTWARE_OK 2207
#define IDS_HELP_DISABLED_SOFTWARE_LACKS 2208
#define IDS_HELP_DISABLED_NO_SOFTWARE 2209
// The rendering line of a monitor's page.
#define IDS_RENDERING_HARDWARE 2210
#define IDS_RENDERING_SOFTWARE 2211
#define IDS_RENDERING_NONE 2212
