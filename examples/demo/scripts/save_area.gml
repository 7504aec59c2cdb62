// Where the game's files go: its save area under the user's data folder.
var data;
data = environment_get_variable("XDG_DATA_HOME");
if (data == "") data = environment_get_variable("HOME") + "/.local/share";
return data + "/kilnforge_demo/";
