global.contacts += 1;
