asked = false;
liked = false;
guest = "";
