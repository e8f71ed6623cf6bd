#pragma once

#include <string>

// A Bookmarks file in Chromium's own layout: checksum, three roots, nested folders, string
// ids (largest 40, outside the bar), meta_info and sync members, number texts to keep.
inline const std::string chromiumFixture = R"json({
   "checksum": "ef4b2827a35f2ef2bcf155e773181fb9",
   "roots": {
      "bookmark_bar": {
         "children": [ {
            "children": [ {
               "date_added": "13441368092744435",
               "date_last_used": "0",
               "guid": "12a9fb63-bbd1-4eba-a197-cfd14b2be189",
               "id": "6",
               "meta_info": {
                  "power_bookmark_meta": ""
               },
               "name": "Inside A",
               "type": "url",
               "url": "https://inside.example.com/a"
            } ],
            "date_added": "13441368092742440",
            "date_last_used": "0",
            "date_modified": "13441368092744435",
            "guid": "8ec89ebe-1ae1-4a32-9dd1-c113cb034860",
            "id": "5",
            "name": "Folder A",
            "type": "folder"
         }, {
            "date_added": "13441368092745797",
            "date_last_used": "0",
            "guid": "68a04a5f-9484-4ca3-846d-067e473d7a59",
            "id": "9",
            "meta_info": {
               "power_bookmark_meta": ""
            },
            "name": "Existing",
            "type": "url",
            "url": "https://old.example.com/before"
         } ],
         "date_added": "13441368092474799",
         "date_last_used": "0",
         "date_modified": "13441368092746271",
         "guid": "0bc5d13f-2cba-5d74-951f-3f233fe6c908",
         "id": "1",
         "name": "Bookmarks bar",
         "type": "folder"
      },
      "other": {
         "children": [ {
            "date_added": "13441368092746572",
            "date_last_used": "0",
            "guid": "914b53be-37d6-4364-abf5-82f58fa059c3",
            "id": "40",
            "name": "Elsewhere",
            "type": "url",
            "url": "https://elsewhere.example.com/"
         } ],
         "date_added": "13441368092474799",
         "date_last_used": "0",
         "date_modified": "13441368092746572",
         "guid": "82b081ec-3dd3-529c-8475-ab6c344590dd",
         "id": "2",
         "name": "Other bookmarks",
         "type": "folder"
      },
      "synced": {
         "children": [  ],
         "date_added": "13441368092474799",
         "date_last_used": "0",
         "date_modified": "0",
         "guid": "4cf2e351-0e85-532b-bb37-df045d8f8d0f",
         "id": "3",
         "name": "Mobile bookmarks",
         "type": "folder"
      }
   },
   "sync_metadata": "CAESAggBGgQIARAB",
   "version": 1,
   "zz_unknown": [ 1.50, -0, {  }, "\u00e9\t" ]
})json";

// chromiumFixture after adding "New One" (afterfolders) and pointing "Existing" at
// https://new.example.com/existing, in the serializer's layout; NOW and GUID stand for the
// generated values.
inline const std::string chromiumFixtureEdited = R"json({
   "roots": {
      "bookmark_bar": {
         "children": [
            {
               "children": [
                  {
                     "date_added": "13441368092744435",
                     "date_last_used": "0",
                     "guid": "12a9fb63-bbd1-4eba-a197-cfd14b2be189",
                     "id": "6",
                     "meta_info": {
                        "power_bookmark_meta": ""
                     },
                     "name": "Inside A",
                     "type": "url",
                     "url": "https://inside.example.com/a"
                  }
               ],
               "date_added": "13441368092742440",
               "date_last_used": "0",
               "date_modified": "13441368092744435",
               "guid": "8ec89ebe-1ae1-4a32-9dd1-c113cb034860",
               "id": "5",
               "name": "Folder A",
               "type": "folder"
            },
            {
               "date_added": "NOW",
               "date_last_used": "0",
               "guid": "GUID",
               "id": "41",
               "name": "New One",
               "type": "url",
               "url": "https://new.example.com/"
            },
            {
               "date_added": "13441368092745797",
               "date_last_used": "0",
               "guid": "68a04a5f-9484-4ca3-846d-067e473d7a59",
               "id": "9",
               "meta_info": {
                  "power_bookmark_meta": ""
               },
               "name": "Existing",
               "type": "url",
               "url": "https://new.example.com/existing"
            }
         ],
         "date_added": "13441368092474799",
         "date_last_used": "0",
         "date_modified": "NOW",
         "guid": "0bc5d13f-2cba-5d74-951f-3f233fe6c908",
         "id": "1",
         "name": "Bookmarks bar",
         "type": "folder"
      },
      "other": {
         "children": [
            {
               "date_added": "13441368092746572",
               "date_last_used": "0",
               "guid": "914b53be-37d6-4364-abf5-82f58fa059c3",
               "id": "40",
               "name": "Elsewhere",
               "type": "url",
               "url": "https://elsewhere.example.com/"
            }
         ],
         "date_added": "13441368092474799",
         "date_last_used": "0",
         "date_modified": "13441368092746572",
         "guid": "82b081ec-3dd3-529c-8475-ab6c344590dd",
         "id": "2",
         "name": "Other bookmarks",
         "type": "folder"
      },
      "synced": {
         "children": [],
         "date_added": "13441368092474799",
         "date_last_used": "0",
         "date_modified": "0",
         "guid": "4cf2e351-0e85-532b-bb37-df045d8f8d0f",
         "id": "3",
         "name": "Mobile bookmarks",
         "type": "folder"
      }
   },
   "sync_metadata": "CAESAggBGgQIARAB",
   "version": 1,
   "zz_unknown": [
      1.50,
      -0,
      {},
      "é\t"
   ]
})json";
